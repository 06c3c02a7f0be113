#define STBI_ONLY_JPEG
#define VM_STB_DECODER kJpegDecoder
#define VM_STB_NAME "JPEG"
#include "platform/image/stb_decoder.inc"
