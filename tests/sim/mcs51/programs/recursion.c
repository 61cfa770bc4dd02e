// Recursion on the internal stack (built with --stack-auto): Fibonacci, Ackermann and a
// recursive sum over an array.
__xdata unsigned int fibs[12];
__xdata unsigned int ack;
__xdata unsigned long total;
__xdata unsigned char values[12];  // shallow enough for the 256-byte stack

void halt(void) { while (1); }

unsigned int fib(unsigned char n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }

unsigned int ackermann(unsigned char m, unsigned int n) {
  if (m == 0) return n + 1;
  if (n == 0) return ackermann(m - 1, 1);
  return ackermann(m - 1, ackermann(m, n - 1));
}

unsigned long sum(__xdata unsigned char* p, unsigned char n) {
  return n == 0 ? 0 : p[0] + sum(p + 1, n - 1);
}

void main(void) {
  unsigned char i;
  for (i = 0; i < 12; i++) fibs[i] = fib(i);
  ack = ackermann(2, 3);
  for (i = 0; i < sizeof values; i++) values[i] = i * 13 + 1;
  total = sum(values, sizeof values);
  halt();
}
