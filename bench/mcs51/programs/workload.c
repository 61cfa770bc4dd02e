// A CPU-bound workload of the kind the bridge firmware runs: table-driven CRC over external
// RAM, byte copies and 16-bit arithmetic, repeated a fixed number of times.
__xdata unsigned char buffer[512];
__xdata unsigned int crcTable[256];
__xdata unsigned int result;

void halt(void) { while (1); }

void main(void) {
  unsigned int i, crc, pass;
  unsigned char bit;
  for (i = 0; i < 256; i++) {
    crc = i << 8;
    for (bit = 0; bit < 8; bit++) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    crcTable[i] = crc;
  }
  for (i = 0; i < sizeof buffer; i++) buffer[i] = (unsigned char)(i * 7 + 3);
  crc = 0xFFFF;
  for (pass = 0; pass < 60; pass++) {
    for (i = 0; i < sizeof buffer; i++) crc = (crc << 8) ^ crcTable[(unsigned char)(crc >> 8) ^ buffer[i]];
    for (i = 0; i + 1 < sizeof buffer; i++) buffer[i] = buffer[i + 1] + (unsigned char)crc;
  }
  result = crc;
  halt();
}
