#include "platform/fx/fx_fixed_function.h"

#include "platform/gfx/gfx.h"

namespace fx::detail {

bool FixedFunctionVertexStage(const CompiledStage& pixel, const AttributeLocator& locate,
                              GlslFlavour flavour, CompiledStage* out, std::string* problem) {
    const bool es = flavour == GlslFlavour::Es;
    const int position = locate(gfx::D3DDECLUSAGE_POSITION, 0);
    std::string glsl = std::string(es ? "#version 300 es\n" : "#version 330\n") + "uniform mat4 " +
                       std::string(kFixedFunctionMatrix) +
                       ";\nlayout(location = " + std::to_string(position) +
                       ") in vec4 fx_POSITION0;\n";
    std::string body =
        "    gl_Position = " + std::string(kFixedFunctionMatrix) + " * fx_POSITION0;\n";
    static const char* kTypes[] = {"", "float", "vec2", "vec3", "vec4"};
    static const char* kParts[] = {"", ".x", ".xy", ".xyz", ""};
    for (size_t i = 0; i < pixel.varyings.size(); ++i) {
        const std::string& varying = pixel.varyings[i];  // v_TEXCOORD0
        std::string base;
        uint32_t index = 0;
        SplitSemantic(varying.substr(2), &base, &index);
        const uint32_t size = pixel.varyingSizes[i];
        const int usage = base == "TEXCOORD" ? gfx::D3DDECLUSAGE_TEXCOORD
                          : base == "COLOR"  ? gfx::D3DDECLUSAGE_COLOR
                                             : -1;
        const int location = usage < 0 || index > 255 || size < 1 || size > 4
                                 ? -1
                                 : locate(static_cast<uint8_t>(usage), static_cast<uint8_t>(index));
        if (location < 0) {
            *problem = "the fixed-function vertex stage does not give " + varying.substr(2) +
                       ": the pass needs a vertex shader";
            return false;
        }
        const std::string input = "fx_" + varying.substr(2);
        glsl += "layout(location = " + std::to_string(location) + ") in vec4 " + input + ";\n";
        glsl += "out " + std::string(kTypes[size]) + " " + varying + ";\n";
        body += "    " + varying + " = " + input + kParts[size] + ";\n";
        out->varyings.push_back(varying);
        out->varyingSizes.push_back(size);
    }
    // OpenGL ES has no clip control: y turned over and depth mapped to -w..w here, as the
    // compiled stages do.
    if (es)
        body +=
            "    gl_Position.y = -gl_Position.y;\n    gl_Position.z = 2.0 * gl_Position.z - "
            "gl_Position.w;\n";
    out->glsl = glsl + "void main()\n{\n" + body + "}\n";
    return true;
}

}  // namespace fx::detail
