// A dense switch (SDCC emits a jump table: JMP @A+DPTR) and a sparse one (compare chain).
__xdata unsigned char dense[32];
__xdata unsigned int sparse[32];

void halt(void) { while (1); }

unsigned char denseCase(unsigned char k) {
  switch (k & 7) {
    case 0: return 11;
    case 1: return k + 3;
    case 2: return k ^ 0x55;
    case 3: return k << 1;
    case 4: return k >> 1;
    case 5: return ~k;
    case 6: return k * 3;
    default: return 0;
  }
}

unsigned int sparseCase(unsigned int k) {
  switch (k) {
    case 3: return 300;
    case 17: return 1700;
    case 200: return 2;
    case 1000: return 10;
    case 31: return 31;
    default: return k + 1;
  }
}

void main(void) {
  unsigned char i;
  for (i = 0; i < 32; i++) {
    dense[i] = denseCase(i * 7);
    sparse[i] = sparseCase(i == 20 ? 1000 : i == 21 ? 200 : i);
  }
  halt();
}
