// Integer arithmetic of every width SDCC supports: its multiply, divide and modulo helpers
// exercise MUL, DIV, SUBB and RLC chains.
__xdata unsigned long results32[8];
__xdata int results16[8];
__xdata signed char results8[8];

void halt(void) { while (1); }

void main(void) {
  unsigned long x = 0x12345678UL;
  int s = -12345;
  signed char c = -7;
  unsigned char i;
  for (i = 0; i < 8; i++) {
    x = x * 2654435761UL + i;
    results32[i] = x / (i + 3) + (x % 1000003UL);
    s = (int)(s * 3 - (int)i * 1000) / (i + 1);
    results16[i] = s % 97;
    c = (signed char)(c * 5 + i) / 3;
    results8[i] = c;
  }
  halt();
}
