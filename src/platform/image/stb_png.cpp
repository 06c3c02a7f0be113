#define STBI_ONLY_PNG
#define VM_STB_DECODER kPngDecoder
#define VM_STB_NAME "PNG"
#include "platform/image/stb_decoder.inc"
