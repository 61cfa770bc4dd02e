#include "poll_budget.h"

unsigned int waitPolls;

unsigned char pollBudgetSpent(void)
{
    waitPolls++;
    return waitPolls > WAIT_POLL_LIMIT;
}
