#ifndef GUARDED_FXH
#define GUARDED_FXH
float4 Half() { return 0.5; }
#endif
