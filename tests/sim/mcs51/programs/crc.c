// CRC-16/CCITT over a constant table, byte-wise with a lookup table built at run time.
__xdata unsigned int crcTable[256];
__xdata unsigned int result;
const unsigned char message[] = "The quick brown fox jumps over the lazy dog 0123456789";

void halt(void) { while (1); }

void main(void) {
  unsigned int i, crc;
  unsigned char bit;
  for (i = 0; i < 256; i++) {
    crc = i << 8;
    for (bit = 0; bit < 8; bit++) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    crcTable[i] = crc;
  }
  crc = 0xFFFF;
  for (i = 0; i < sizeof message - 1; i++)
    crc = (crc << 8) ^ crcTable[(unsigned char)(crc >> 8) ^ message[i]];
  result = crc;
  halt();
}
