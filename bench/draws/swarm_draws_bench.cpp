// CPU cost of the system's per-draw work for part 4's 1,200 mesh draws (200 pigs of six meshes:
// registry look-ups by name, parameter sets by name, CommitChanges, effect Begin/End, device
// draws), against a bare OpenGL loop that draws the same meshes with the same shader programs,
// uniform buffer and matrices, through handles and offsets looked up once.
//
//   swarm_draws_bench [--frames N] [--data DIR]
//
// Both loops run on the default production's pig meshes and effect at 640 x 360 and are timed
// with the CPU clock of the submitting thread (llvmpipe rasterises on its own threads; the vertex
// work it does at draw time on this thread is the same for both loops). Frames alternate between
// the loops and the median of each is printed. The two pictures are compared to show that both
// loops draw the same thing.
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/display.h"
#include "filters/filters.h"
#include "headless_demo.h"
#include "resources/static_resources.h"
#include "scene_core/camera.h"
#include "scene_core/matrix.h"
#include "scene_core/render_state.h"
#include "scenes/assets.h"
#include "scenes/pig.h"
#include "scenes/scenes.h"

namespace {

constexpr const char* kMeshNames[6] = {"g1", "g2", "g3", "g4", "g5", "g6"};
constexpr float kSeconds = 61.0f;  // a moment inside part 4
constexpr float kFogEnd = 150.0f;
constexpr float kEyeFadeEnd = 200.0f;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// What the bare loop keeps: GL names and uniform-block offsets, found once.
struct BareMesh {
    GLuint vao = 0;
    GLsizei indexCount = 0;
    Matrix local;
};

struct BarePass {
    GLuint program = 0;
    GLint wvp = -1, wv = -1, world = -1, camera = -1, color = -1, fog = -1;  // byte offsets
};

struct BareSetup {
    std::array<BareMesh, 6> meshes;
    BarePass body, eyes;
    GLuint ubo = 0, eyeTexture = 0, eyeSampler = 0;
    std::vector<unsigned char> block;
    bool transpose = false;
};

GLint OffsetOf(GLuint program, const char* member) {
    GLint count = 0;
    glGetProgramInterfaceiv(program, GL_UNIFORM, GL_ACTIVE_RESOURCES, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        glGetProgramResourceName(program, GL_UNIFORM, GLuint(i), sizeof name, nullptr, name);
        const char* dot = std::strrchr(name, '.');
        if (std::strcmp(dot ? dot + 1 : name, member) != 0) continue;
        const GLenum property = GL_OFFSET;
        GLint offset = -1;
        glGetProgramResourceiv(program, GL_UNIFORM, GLuint(i), 1, &property, 1, nullptr, &offset);
        return offset;
    }
    return -1;
}

BarePass PassOf(GLuint program) {
    BarePass p;
    p.program = program;
    p.wvp = OffsetOf(program, "matWorldViewProjection");
    p.wv = OffsetOf(program, "matWorldView");
    p.world = OffsetOf(program, "matWorld");
    p.camera = OffsetOf(program, "CameraPosition");
    p.color = OffsetOf(program, "DiffuseColor");
    return p;
}

GLint CurrentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

// Copies the vertex inputs the device set up for the mesh just drawn into a vertex array of its
// own.
GLuint CopyVertexInputs() {
    struct Attribute {
        GLint enabled, buffer, size, stride;
        void* pointer;
    };
    std::array<Attribute, 16> attributes{};
    for (GLuint a = 0; a < 16; ++a) {
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &attributes[a].enabled);
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &attributes[a].buffer);
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_SIZE, &attributes[a].size);
        glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &attributes[a].stride);
        glGetVertexAttribPointerv(a, GL_VERTEX_ATTRIB_ARRAY_POINTER, &attributes[a].pointer);
    }
    GLint elements = 0, deviceVao = 0, arrayBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &deviceVao);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    for (GLuint a = 0; a < 16; ++a) {
        if (!attributes[a].enabled) continue;
        glBindBuffer(GL_ARRAY_BUFFER, GLuint(attributes[a].buffer));
        glVertexAttribPointer(a, attributes[a].size, GL_FLOAT, GL_FALSE, attributes[a].stride,
                              attributes[a].pointer);
        glEnableVertexAttribArray(a);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, GLuint(elements));
    glBindVertexArray(GLuint(deviceVao));
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
    return vao;
}

void Put(std::vector<unsigned char>& block, GLint offset, const float* values, size_t count) {
    if (offset >= 0) std::memcpy(block.data() + offset, values, count * sizeof(float));
}

void PutMatrix(BareSetup& s, GLint offset, const Matrix& m) {
    if (offset < 0) return;
    if (!s.transpose) return Put(s.block, offset, m.data(), 16);
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t[c * 4 + r] = m.data()[r * 4 + c];
    Put(s.block, offset, t, 16);
}

void DevicePigs() {
    for (int i = 0; i < kSwarmPigCount; ++i) {
        const Vector3 p = SwarmPigPosition(i, kSeconds);
        DrawPigFog(MatrixWorld(p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, 10.0f), kFogEnd);
    }
}

void BarePigs(BareSetup& s) {
    const Matrix viewProjection = g_camera.ViewProjection();
    const Matrix view = g_camera.View();
    GLint deviceVao = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &deviceVao);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, s.ubo);
    auto draw = [&](const BarePass& pass, int m, const Matrix& world, const float* fog) {
        const Matrix meshWorld = s.meshes[m].local * world;
        PutMatrix(s, pass.wvp, meshWorld * viewProjection);
        PutMatrix(s, pass.wv, meshWorld * view);
        PutMatrix(s, pass.world, meshWorld);
        Put(s.block, pass.camera, &g_camera.eye.x, 3);
        Put(s.block, pass.color, pigColors[m].data(), 4);
        Put(s.block, pass.fog, fog, 1);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, GLsizeiptr(s.block.size()), s.block.data());
        glBindVertexArray(s.meshes[m].vao);
        glDrawElements(GL_TRIANGLES, s.meshes[m].indexCount, GL_UNSIGNED_SHORT, nullptr);
    };
    glBindBuffer(GL_UNIFORM_BUFFER, s.ubo);
    for (int i = 0; i < kSwarmPigCount; ++i) {
        const Vector3 p = SwarmPigPosition(i, kSeconds);
        const Matrix world = MatrixWorld(p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, 10.0f);
        glUseProgram(s.body.program);
        for (int m = 1; m < 6; ++m) draw(s.body, m, world, &kFogEnd);
        glUseProgram(s.eyes.program);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, s.eyeTexture);
        glBindSampler(0, s.eyeSampler);
        draw(s.eyes, 0, world, &kEyeFadeEnd);
        glBindSampler(0, 0);
    }
    glBindVertexArray(GLuint(deviceVao));
}

std::vector<unsigned char> ReadScene() {
    GLint fbo = 0, viewport[4] = {};
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &fbo);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<unsigned char> pixels(size_t(viewport[2]) * size_t(viewport[3]) * 4);
    glReadPixels(0, 0, viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path data = VM_DEFAULT_DATA_DIR;
    int frames = 15;
    for (int i = 1; i < argc; i += 2) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && !std::strcmp(argv[i], "--data"))
            data = argv[i + 1];
        else if (hasValue && !std::strcmp(argv[i], "--frames"))
            frames = std::max(1, std::atoi(argv[i + 1]));
        else {
            std::fprintf(stderr, "usage: %s [--frames N] [--data DIR]\n", argv[0]);
            return 2;
        }
    }
    if (!bench::EnterDataFolder(data)) return 1;
    bench::HeadlessRun run;
    run.width = 640;
    run.height = 360;
    run.Configure();
    Display display;
    if (!display.ShowSetupDialog() || !display.Open("bench")) {
        std::fprintf(stderr, "swarm_draws_bench: no device\n");
        return 1;
    }
    LoadFilters();
    LoadScene();
    g_camera.Set(0.0f, 20.0f, -260.0f, 0.0f, 0.0f, 0.0f, 1.0f);

    auto begin = [] {
        scene_frame::Begin(true);
        SetCullAndDepth(gfx::D3DCULL_CCW, true);
        scene_frame::Blend(false);
    };

    // Look up once what the device uses for these draws.
    BareSetup s;
    begin();
    sceneEffects.SetCurrentRef("pig");
    for (int pass : {2, 3}) {
        sceneEffects.Begin(uint32_t(pass), nullptr);
        (pass == 2 ? s.body : s.eyes) = PassOf(GLuint(CurrentProgram()));
        for (int m = pass == 2 ? 1 : 0; m < (pass == 2 ? 6 : 1); ++m) {
            const Mesh* mesh = meshes.Find(kMeshNames[m]);
            if (mesh == nullptr) return 1;
            mesh->Draw();
            s.meshes[m] = {CopyVertexInputs(), GLsizei(mesh->triangleCount * 3),
                           mesh->LocalTransform(0.0f)};
        }
        if (pass == 3) {
            GLint texture = 0, sampler = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
            glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
            s.eyeTexture = GLuint(texture);
            s.eyeSampler = GLuint(sampler);
        }
        sceneEffects.End(nullptr);
    }
    s.body.fog = OffsetOf(s.body.program, "FogEnd");
    s.eyes.fog = OffsetOf(s.eyes.program, "FadeEnd");
    GLint ubo = 0, size = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 0, &ubo);
    s.ubo = GLuint(ubo);
    glBindBuffer(GL_UNIFORM_BUFFER, s.ubo);
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
    s.block.resize(size_t(std::max(size, 0)));
    // The device's last frame leaves its parameter block behind: start from it, and learn from the
    // last pig's eye matrix whether the block holds matrices as given or transposed.
    DevicePigs();
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, size, s.block.data());
    scene_frame::End();
    {
        const Vector3 p = SwarmPigPosition(kSwarmPigCount - 1, kSeconds);
        const Matrix world =
            s.meshes[0].local * MatrixWorld(p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, 10.0f);
        s.transpose = s.eyes.world >= 0 && std::memcmp(s.block.data() + s.eyes.world, world.data(),
                                                       sizeof(float) * 16) != 0;
    }
    std::printf(
        "offsets: body wvp %d wv %d world %d camera %d color %d fog %d; block %d bytes; %s "
        "matrices\n",
        s.body.wvp, s.body.wv, s.body.world, s.body.camera, s.body.color, s.body.fog, size,
        s.transpose ? "transposed" : "untransposed");

    std::vector<double> deviceCpu, bareCpu, deviceWall, bareWall;
    std::vector<unsigned char> devicePicture, barePicture;
    for (int f = 0; f < frames + 1; ++f) {
        for (int side = 0; side < 2; ++side) {
            begin();
            glFinish();
            const double wall0 = bench::WallSeconds(), cpu0 = bench::ThreadCpuSeconds();
            if (side == 0)
                DevicePigs();
            else
                BarePigs(s);
            const double cpu = bench::ThreadCpuSeconds() - cpu0,
                         wall = bench::WallSeconds() - wall0;
            glFinish();
            if (f == 0) {
                (side == 0 ? devicePicture : barePicture) = ReadScene();
            } else {
                (side == 0 ? deviceCpu : bareCpu).push_back(cpu);
                (side == 0 ? deviceWall : bareWall).push_back(wall);
            }
            scene_frame::End();
        }
    }
    size_t differing = 0;
    for (size_t i = 0; i < std::min(devicePicture.size(), barePicture.size()); i += 4)
        differing += std::memcmp(&devicePicture[i], &barePicture[i], 4) != 0;

    const int draws = kSwarmPigCount * 6;
    const double device = Median(deviceCpu), bare = Median(bareCpu);
    std::printf(
        "%d draws a frame at 640x360, %d frames each, median CPU of the submitting thread\n", draws,
        frames);
    std::printf("system path: %7.3f ms a frame, %6.2f us a draw (submission wall %.3f ms)\n",
                1000 * device, 1e6 * device / draws, 1000 * Median(deviceWall));
    std::printf("bare GL:     %7.3f ms a frame, %6.2f us a draw (submission wall %.3f ms)\n",
                1000 * bare, 1e6 * bare / draws, 1000 * Median(bareWall));
    std::printf("ratio system / bare: %.3f; the system's own work: %.2f us a draw\n", device / bare,
                1e6 * (device - bare) / draws);
    std::printf("pictures: %zu of %zu pixels differ\n", differing, devicePicture.size() / 4);
    return 0;
}
