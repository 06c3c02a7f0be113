#include "platform/gfx/render_state_gl.h"

#include "platform/gfx/gfx.h"
#include "platform/gfx/gl_api.h"

namespace gfx::gl {

bool IsValidRenderState(uint32_t state, uint32_t value) {
    switch (state) {
        case D3DRS_ZFUNC:
            return value >= D3DCMP_NEVER && value <= D3DCMP_ALWAYS;
        case D3DRS_CULLMODE:
            return value >= D3DCULL_NONE && value <= D3DCULL_CCW;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            return value >= D3DBLEND_ZERO && value <= D3DBLEND_INVDESTCOLOR;
        case D3DRS_BLENDOP:
            return value >= D3DBLENDOP_ADD && value <= D3DBLENDOP_MAX;
        case D3DRS_FILLMODE:
            return value >= D3DFILL_POINT && value <= D3DFILL_SOLID;
        case D3DRS_ALPHAFUNC:
        case D3DRS_STENCILFUNC:
        case D3DRS_CCW_STENCILFUNC:
            return value >= D3DCMP_NEVER && value <= D3DCMP_ALWAYS;
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS:
            return value >= D3DSTENCILOP_KEEP && value <= D3DSTENCILOP_DECR;
        default:
            return true;
    }
}

unsigned GlCompareFunc(uint32_t d3dCmp) {
    static const GLenum kFuncs[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                    GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return (d3dCmp >= 1 && d3dCmp <= 8) ? kFuncs[d3dCmp - 1] : GL_LEQUAL;
}

unsigned GlBlendFactor(uint32_t d3dBlend) {
    static const GLenum kFactors[] = {GL_ZERO,      GL_ONE,
                                      GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                      GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                      GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                      GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
    return (d3dBlend >= 1 && d3dBlend <= 10) ? kFactors[d3dBlend - 1] : GL_ONE;
}

unsigned GlBlendOp(uint32_t d3dBlendOp) {
    static const GLenum kOps[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN,
                                  GL_MAX};
    return (d3dBlendOp >= 1 && d3dBlendOp <= 5) ? kOps[d3dBlendOp - 1] : GL_FUNC_ADD;
}

unsigned GlStencilOp(uint32_t d3dStencilOp) {
    static const GLenum kOps[] = {GL_KEEP, GL_ZERO,   GL_REPLACE,   GL_INCR,
                                  GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return (d3dStencilOp >= 1 && d3dStencilOp <= 8) ? kOps[d3dStencilOp - 1] : GL_KEEP;
}

unsigned GlFrontFaceFor(uint32_t d3dCull, bool yFlippedInShader) {
    // Pixel tests show GL's facing under the upper-left clip origin matches the picture as seen:
    // a triangle that looks counter-clockwise is GL_CCW. Culling GL_BACK with the other winding
    // as front drops exactly what the cull mode names. A y flip in the vertex stage (ES) turns
    // every winding GL sees the other way.
    const bool cullCcw = d3dCull == D3DCULL_CCW;
    return cullCcw != yFlippedInShader ? GL_CW : GL_CCW;
}

}  // namespace gfx::gl
