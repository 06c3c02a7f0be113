// One shader stage from HLSL to GLSL through glslang and SPIRV-Cross.
//
// Index of this file:
//  [SECTION] glslang
//  [SECTION] SPIRV-Cross reflection
//  [SECTION] Source checks and varyings
//  [SECTION] Compiling a stage

#include "platform/fx/fx_stage_compiler.h"

#define ENABLE_HLSL 1  // declares setEnvTargetHlslFunctionality1 (Debian's CMake config omits it)
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross_c.h>

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/gfx/gfx.h"

namespace fx::detail {

namespace {

// DX9 position and depth semantics are not mapped by glslang. Mapping them to the system values
// turns a vertex OUTPUT POSITION into gl_Position; a vertex INPUT SV_Position stays an ordinary
// attribute, so the same define serves both. Defines keep the file's line numbers.
constexpr const char* kPreamble =
    "#define POSITION SV_Position\n"
    "#define POSITION0 SV_Position\n"
    "#define VPOS SV_Position\n"
    "#define DEPTH SV_Depth\n"
    "#define DEPTH0 SV_Depth\n";

// [SECTION] glslang
void InitializeGlslangOnce() {
    static std::once_flag once;
    std::call_once(once, [] { glslang::InitializeProcess(); });
}

// Turns glslang's "ERROR: path:12: 'x' : message" lines into located diagnostics.
void CollectLog(std::string_view log, std::string_view path, SourceLocation fallback,
                std::vector<Diagnostic>* errors, std::vector<std::string>* warnings) {
    std::istringstream lines{std::string(log)};
    std::string line;
    while (std::getline(lines, line)) {
        bool isError = line.rfind("ERROR: ", 0) == 0;
        bool isWarning = line.rfind("WARNING: ", 0) == 0;
        if (!isError && !isWarning) continue;
        std::string_view rest = std::string_view(line).substr(isError ? 7 : 9);
        Diagnostic d{fallback, ""};
        auto readNumber = [&](int* value) {
            size_t n = 0;
            while (n < rest.size() && std::isdigit(static_cast<unsigned char>(rest[n]))) ++n;
            if (n == 0 || n > 9 || n >= rest.size() || rest[n] != ':') return false;
            *value = std::stoi(std::string(rest.substr(0, n)));
            rest.remove_prefix(n + 1);
            return true;
        };
        std::string prefix = std::string(path) + ":";
        if (rest.substr(0, prefix.size()) == prefix) {
            rest.remove_prefix(prefix.size());
            if (readNumber(&d.at.line)) {
                d.at.column = 1;
                readNumber(&d.at.column);
            }
        }
        while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
        d.text = std::string(rest);
        if (d.text.empty()) continue;
        if (isError) {
            // Summaries, not errors of their own.
            if (d.text.find("compilation terminated") != std::string::npos ||
                d.text.find("No code generated") != std::string::npos)
                continue;
            errors->push_back(d);
        } else if (d.text.find("Entry point not found") != std::string::npos) {
            // glslang only warns and compiles an empty main; here it is an error.
            errors->push_back(d);
        } else {
            warnings->push_back(d.text);
        }
    }
}

// An HLSL source handed to glslang. HLSL under OpenGL rules is refused: it is compiled for Vulkan,
// then cross-compiled. Keeps the source arrays glslang points into alive until it has parsed.
struct HlslShader {
    HlslShader(EShLanguage language, std::string_view path, const std::string& hlsl,
               const char* entry)
        : shader((InitializeGlslangOnce(), language)),
          name(path),
          text(hlsl.c_str()),
          length(static_cast<int>(hlsl.size())) {
        namePointer = name.c_str();
        shader.setStringsWithLengthsAndNames(&text, &length, &namePointer, 1);
        shader.setPreamble(kPreamble);
        shader.setEntryPoint(entry);
        shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
        shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
        shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    }
    HlslShader(const HlslShader&) = delete;
    HlslShader& operator=(const HlslShader&) = delete;

    glslang::TShader shader;
    std::string name;
    const char* text;
    int length;
    const char* namePointer = nullptr;
};

bool CompileToSpirv(Stage stage, std::string_view path, const std::string& hlsl,
                    const std::string& entry, SourceLocation fallback, std::vector<uint32_t>* spirv,
                    std::vector<Diagnostic>* errors, std::vector<std::string>* warnings) {
    EShLanguage language = stage == Stage::Vertex ? EShLangVertex : EShLangFragment;
    HlslShader hlslShader(language, path, hlsl, entry.c_str());
    glslang::TShader& shader = hlslShader.shader;
    shader.setSourceEntryPoint(entry.c_str());
    shader.setEnvTargetHlslFunctionality1();  // keeps varying semantics in the SPIR-V
    shader.setAutoMapBindings(true);
    shader.setAutoMapLocations(true);
    // Without DX9 compatibility tex2D produces invalid SPIR-V.
    auto messages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                             EShMsgHlslDX9Compatible | EShMsgHlslLegalization);
    // A step fails when glslang says so or logs an error; a failure it gives no reason for gets
    // one.
    const size_t before = errors->size();
    auto failed = [&](bool ok, const char* step) {
        if (ok && errors->size() == before) return false;
        if (errors->size() == before)
            errors->push_back({fallback, std::string("cannot ") + step + " '" + entry + "'"});
        return true;
    };
    const bool parsed = shader.parse(GetDefaultResources(), 100, false, messages);
    CollectLog(shader.getInfoLog(), path, fallback, errors, warnings);
    if (failed(parsed, "compile")) return false;
    glslang::TProgram program;
    program.addShader(&shader);
    const bool linked = program.link(messages);
    CollectLog(program.getInfoLog(), path, fallback, errors, warnings);
    if (failed(linked, "link")) return false;
    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    glslang::GlslangToSpv(*program.getIntermediate(language), *spirv, &logger, &options);
    if (spirv->empty()) {
        errors->push_back(
            {fallback, "cannot generate SPIR-V for '" + entry + "': " + logger.getAllMessages()});
        return false;
    }
    return true;
}

// [SECTION] SPIRV-Cross reflection
BaseKind KindOf(spvc_basetype base) {
    switch (base) {
        case SPVC_BASETYPE_INT32:
        case SPVC_BASETYPE_UINT32:
            return BaseKind::Int;
        case SPVC_BASETYPE_BOOLEAN:
            return BaseKind::Bool;
        default:
            return BaseKind::Float;
    }
}

struct SpvcContext {
    spvc_context context = nullptr;
    ~SpvcContext() {
        if (context) spvc_context_destroy(context);
    }
};

const char* Semantic(spvc_compiler compiler, spvc_variable_id id) {
    const char* s =
        spvc_compiler_get_decoration_string(compiler, id, SpvDecorationHlslSemanticGOOGLE);
    return s ? s : "";
}

// GLSL 3.30 has no binding or set qualifiers: the linker places the resource.
void DropBinding(spvc_compiler compiler, spvc_variable_id id) {
    spvc_compiler_unset_decoration(compiler, id, SpvDecorationBinding);
    spvc_compiler_unset_decoration(compiler, id, SpvDecorationDescriptorSet);
}

int UsageOf(const std::string& base) {
    if (base == "POSITION") return gfx::D3DDECLUSAGE_POSITION;
    if (base == "BLENDWEIGHT") return gfx::D3DDECLUSAGE_BLENDWEIGHT;
    if (base == "NORMAL") return gfx::D3DDECLUSAGE_NORMAL;
    if (base == "TEXCOORD") return gfx::D3DDECLUSAGE_TEXCOORD;
    if (base == "TANGENT") return gfx::D3DDECLUSAGE_TANGENT;
    if (base == "BINORMAL") return gfx::D3DDECLUSAGE_BINORMAL;
    if (base == "COLOR") return gfx::D3DDECLUSAGE_COLOR;
    return -1;
}

// The alpha test after the shader's own main: what it discards is what Direct3D's would, the
// alpha rounded to 0..255 compared with the reference.
void AddAlphaTest(std::string* glsl) {
    const size_t main = glsl->find("void main()");
    if (main == std::string::npos || glsl->find("out vec4 fx_Color0;") == std::string::npos) return;
    glsl->replace(main, 11, "void fx_main()");
    *glsl += std::string("\nuniform int ") + kAlphaFuncUniform + ";\nuniform float " +
             kAlphaRefUniform +
             ";\nvoid main()\n{\n    fx_main();\n"
             "    float a = floor(clamp(fx_Color0.a, 0.0, 1.0) * 255.0 + 0.5);\n"
             "    bool keep[9] = bool[9](true, false, a < fxAlphaRef, a == fxAlphaRef, "
             "a <= fxAlphaRef, a > fxAlphaRef, a != fxAlphaRef, a >= fxAlphaRef, true);\n"
             "    if (!keep[clamp(fxAlphaFunc, 0, 8)]) discard;\n}\n";
}

}  // namespace

// [SECTION] Source checks and varyings
bool CheckSource(std::string_view path, const std::string& hlsl, std::vector<Diagnostic>* errors) {
    HlslShader hlslShader(EShLangFragment, path, hlsl, "fx_syntax_check_only");
    glslang::TShader& shader = hlslShader.shader;
    auto messages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                             EShMsgHlslDX9Compatible);
    size_t before = errors->size();
    bool parsed = shader.parse(GetDefaultResources(), 100, false, messages);
    std::vector<Diagnostic> found;
    std::vector<std::string> warnings;
    CollectLog(shader.getInfoLog(), path, {1, 1}, &found, &warnings);
    for (const Diagnostic& d : found) {
        if (d.text.find("Entry point not found") == std::string::npos) errors->push_back(d);
    }
    if (!parsed && errors->size() == before)
        errors->push_back({{1, 1}, "the file does not compile"});
    return errors->size() == before;
}

void SplitSemantic(std::string_view semantic, std::string* base, uint32_t* index) {
    std::string upper;
    for (char c : semantic) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    size_t digits = upper.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(upper[digits - 1]))) --digits;
    *index = 0;
    if (digits < upper.size() && upper.size() - digits <= 3) {
        *index = static_cast<uint32_t>(std::stoul(upper.substr(digits)));
    } else {
        digits = upper.size();
    }
    *base = upper.substr(0, digits);
    if (*base == "SV_POSITION") *base = "POSITION";
    if (*base == "SV_TARGET") *base = "COLOR";
}

std::string VaryingName(std::string_view semantic) {
    std::string base;
    uint32_t index = 0;
    SplitSemantic(semantic, &base, &index);
    return "v_" + base + std::to_string(index);
}

// [SECTION] Compiling a stage
bool CompileStage(Stage stage, std::string_view path, const std::string& hlsl,
                  const std::string& entry, const AttributeLocator& locate, SourceLocation fallback,
                  CompiledStage* out, std::vector<Diagnostic>* errors, GlslFlavour flavour) {
    std::vector<uint32_t> spirv;
    if (!CompileToSpirv(stage, path, hlsl, entry, fallback, &spirv, errors, &out->warnings))
        return false;

    SpvcContext ctx;
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    auto fail = [&](const std::string& what) {
        const char* detail = ctx.context ? spvc_context_get_last_error_string(ctx.context) : "";
        errors->push_back({fallback, what + " for '" + entry + "'" +
                                         (detail && *detail ? std::string(": ") + detail : "")});
        return false;
    };
    if (spvc_context_create(&ctx.context) != SPVC_SUCCESS) return fail("cannot start SPIRV-Cross");
    if (spvc_context_parse_spirv(ctx.context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
        spvc_context_create_compiler(ctx.context, SPVC_BACKEND_GLSL, ir,
                                     SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) != SPVC_SUCCESS) {
        return fail("cannot read the SPIR-V");
    }
    spvc_resources resources = nullptr;
    if (spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS) {
        return fail("cannot reflect the SPIR-V");
    }
    auto list = [&](spvc_resource_type type) {
        const spvc_reflected_resource* items = nullptr;
        size_t count = 0;
        spvc_resources_get_resource_list_for_type(resources, type, &items, &count);
        return std::vector<spvc_reflected_resource>(items, items + count);
    };
    size_t errorsBefore = errors->size();

    // The parameter block ($Global): one per stage, same layout in every stage.
    auto blocks = list(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER);
    if (blocks.size() > 1)
        errors->push_back({fallback, "'" + entry + "' uses more than one constant buffer"});
    for (const auto& block : blocks) {
        spvc_type type = spvc_compiler_get_type_handle(compiler, block.base_type_id);
        size_t size = 0;
        spvc_compiler_get_declared_struct_size(compiler, type, &size);
        out->blockSize = static_cast<uint32_t>(size);
        unsigned members = spvc_type_get_num_member_types(type);
        for (unsigned i = 0; i < members; ++i) {
            BlockMember m;
            const char* name = spvc_compiler_get_member_name(compiler, block.base_type_id, i);
            m.name = name ? name : "";
            spvc_type member =
                spvc_compiler_get_type_handle(compiler, spvc_type_get_member_type(type, i));
            m.base = KindOf(spvc_type_get_basetype(member));
            m.vectorSize = spvc_type_get_vector_size(member);
            m.columns = spvc_type_get_columns(member);
            spvc_compiler_type_struct_member_offset(compiler, type, i, &m.offset);
            if (spvc_type_get_num_array_dimensions(member) > 0) {
                m.arraySize = spvc_type_get_array_dimension(member, 0);
                spvc_compiler_type_struct_member_array_stride(compiler, type, i, &m.arrayStride);
            }
            if (m.columns > 1) {
                spvc_compiler_type_struct_member_matrix_stride(compiler, type, i, &m.matrixStride);
                m.rowMajor = spvc_compiler_has_member_decoration(compiler, block.base_type_id, i,
                                                                 SpvDecorationRowMajor);
            }
            out->block.push_back(m);
        }
        spvc_compiler_set_name(compiler, block.base_type_id, kGlobalBlockName);
        spvc_compiler_set_name(compiler, block.id, kGlobalInstanceName);
        DropBinding(compiler, block.id);
    }

    // Samplers: glslang gives all of them binding 0; units are set with glUniform1i after linking.
    // Those the entry point does not read are not its samplers.
    spvc_set active = nullptr;
    spvc_resources activeResources = nullptr;
    spvc_compiler_get_active_interface_variables(compiler, &active);
    spvc_compiler_create_shader_resources_for_active_variables(compiler, &activeResources, active);
    const spvc_reflected_resource* used = nullptr;
    size_t usedCount = 0;
    spvc_resources_get_resource_list_for_type(activeResources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE,
                                              &used, &usedCount);
    for (const auto& sampler : list(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE)) {
        DropBinding(compiler, sampler.id);
        for (size_t i = 0; i < usedCount; ++i)
            if (used[i].id == sampler.id) out->samplers.emplace_back(sampler.name);
    }
    if (!list(SPVC_RESOURCE_TYPE_SEPARATE_IMAGE).empty() ||
        !list(SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS).empty()) {
        errors->push_back(
            {fallback, "'" + entry + "' uses separate textures or sampler states (not supported)"});
    }

    // Varyings meet by semantic name, never by declaration order.
    std::set<std::string> seen;
    auto renameVarying = [&](const spvc_reflected_resource& v) {
        std::string semantic = Semantic(compiler, v.id);
        if (semantic.empty()) {
            errors->push_back({fallback, "'" + entry + "' has an input or output '" +
                                             std::string(v.name) + "' without a semantic"});
            return;
        }
        // glslang splits an array in a struct ("o.uv[1]") into elements that all carry the
        // array's semantic: element k takes the k-th slot after it.
        std::string base;
        uint32_t index = 0;
        SplitSemantic(semantic, &base, &index);
        const std::string_view variable = v.name;
        const size_t open = variable.rfind('[');
        if (!variable.empty() && variable.back() == ']' && open != std::string_view::npos)
            index +=
                static_cast<uint32_t>(std::atoi(std::string(variable.substr(open + 1)).c_str()));
        std::string name = "v_" + base + std::to_string(index);
        if (!seen.insert(name).second) {
            errors->push_back(
                {fallback, "'" + entry + "' uses the semantic " + semantic + " twice"});
            return;
        }
        spvc_compiler_set_name(compiler, v.id, name.c_str());
        spvc_compiler_unset_decoration(compiler, v.id, SpvDecorationLocation);
        out->varyings.push_back(name);
        spvc_type type = spvc_compiler_get_type_handle(compiler, v.type_id);
        const bool plain = spvc_type_get_num_array_dimensions(type) == 0 &&
                           spvc_type_get_columns(type) == 1 &&
                           spvc_type_get_basetype(type) == SPVC_BASETYPE_FP32;
        out->varyingSizes.push_back(plain ? spvc_type_get_vector_size(type) : 0);
    };
    if (stage == Stage::Vertex) {
        for (const auto& input : list(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
            std::string semantic = Semantic(compiler, input.id), base;
            uint32_t index = 0;
            SplitSemantic(semantic, &base, &index);
            int usage = UsageOf(base);
            int location = usage < 0 || index > 255
                               ? -1
                               : locate(static_cast<uint8_t>(usage), static_cast<uint8_t>(index));
            if (location < 0) {
                errors->push_back({fallback, "vertex input semantic '" + semantic + "' of '" +
                                                 entry + "' has no vertex attribute"});
                continue;
            }
            spvc_compiler_set_decoration(compiler, input.id, SpvDecorationLocation,
                                         static_cast<unsigned>(location));
        }
        for (const auto& output : list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) renameVarying(output);
        // A POSITION output that did not become gl_Position would draw nothing, silently.
        spvc_compiler_update_active_builtins(compiler);
        if (!spvc_compiler_has_active_builtin(compiler, SpvBuiltInPosition,
                                              SpvStorageClassOutput)) {
            errors->push_back(
                {fallback, "vertex shader '" + entry + "' writes no POSITION output"});
        }
    } else {
        for (const auto& input : list(SPVC_RESOURCE_TYPE_STAGE_INPUT)) renameVarying(input);
        for (const auto& output : list(SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
            std::string semantic = Semantic(compiler, output.id), base;
            uint32_t index = 0;
            SplitSemantic(semantic, &base, &index);
            if (base != "COLOR" || index > 3) {
                errors->push_back({fallback, "pixel shader output semantic '" + semantic +
                                                 "' of '" + entry + "' is not supported"});
                continue;
            }
            spvc_compiler_set_decoration(compiler, output.id, SpvDecorationLocation, index);
            if (index == 0) spvc_compiler_set_name(compiler, output.id, "fx_Color0");
        }
    }
    if (errors->size() != errorsBefore) return false;

    spvc_compiler_options options = nullptr;
    spvc_compiler_create_compiler_options(compiler, &options);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION,
                                   SPVC_FALSE);
    if (flavour == GlslFlavour::Es) {
        spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 300);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_TRUE);
        spvc_compiler_options_set_bool(
            options, SPVC_COMPILER_OPTION_GLSL_ES_DEFAULT_FLOAT_PRECISION_HIGHP, SPVC_TRUE);
        spvc_compiler_options_set_bool(
            options, SPVC_COMPILER_OPTION_GLSL_ES_DEFAULT_INT_PRECISION_HIGHP, SPVC_TRUE);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, SPVC_TRUE);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION,
                                       SPVC_TRUE);
    } else {
        spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
        spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    }
    spvc_compiler_install_compiler_options(compiler, options);
    const char* glsl = nullptr;
    if (spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS || !glsl) {
        return fail("cannot write GLSL");
    }
    out->glsl = glsl;
    if (stage == Stage::Pixel) AddAlphaTest(&out->glsl);
    return true;
}

}  // namespace fx::detail
