/* One budget of unsuccessful polls per enginePoll pass, shared by its bounded waits
 * (drain wait, arm wait, read-start wait): once one wait has used it up, every later
 * bounded wait of the pass gives up at its first unsuccessful poll. */
#ifndef POLL_BUDGET_H
#define POLL_BUDGET_H

#define WAIT_POLL_LIMIT 0x1000

extern unsigned int waitPolls;

/* Counts one unsuccessful poll; 1 when the count now exceeds WAIT_POLL_LIMIT. */
unsigned char pollBudgetSpent(void);

#endif
