#include "driver/frame_loop.h"

namespace driver {

int TruncateSelector(float value) {
    // Comparisons are false for NaN, so it lands in the "no integer" branch too.
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return -1;
    return static_cast<int>(value);
}

FrameLoop::FrameLoop(MusicClock& clock, TrackSource& tracks, FrameRenderer& renderer,
                     MessagePump& pump, std::FILE* out)
    : clock_(clock), tracks_(tracks), renderer_(renderer), pump_(pump), out_(out) {}

unsigned FrameLoop::Run() {
    unsigned passes = 0;
    bool stop = false;
    while (!stop) {
        stop = RunPass();
        ++passes;
    }
    return passes;
}

bool FrameLoop::RunPass() {
    bool stop = false;
    const float row = clock_.currentRow();
    if (!tracks_.update(row)) stop = true;

    // Evaluated in this order; handed to the camera as eye, target, field of view.
    const float fov = tracks_.value(TrackId::CamFov, row);
    const float viewZ = tracks_.value(TrackId::ViewZ, row);
    const float viewY = tracks_.value(TrackId::ViewY, row);
    const float viewX = tracks_.value(TrackId::ViewX, row);
    const float camZ = tracks_.value(TrackId::CamZ, row);
    const float camY = tracks_.value(TrackId::CamY, row);
    const float camX = tracks_.value(TrackId::CamX, row);
    renderer_.SetCamera(camX, camY, camZ, viewX, viewY, viewZ, fov);

    RunScene(row);
    RunFilter(row);

    renderer_.Present();
    renderer_.UpdateAudio();

    if (clock_.currentSeconds() > kEndSeconds) stop = true;
    if (!clock_.soundtrackActive()) stop = true;
    if (DrainMessages()) stop = true;
    return stop;
}

void FrameLoop::RunScene(float row) {
    switch (TruncateSelector(tracks_.value(TrackId::Part, row))) {
        case 1:
            renderer_.ScenePig(clock_.currentSeconds());
            std::fprintf(out_, "in part 1\n");
            break;
        case 2:
            renderer_.SceneReflection(clock_.currentSeconds());
            break;
        case 3:
            renderer_.SceneParade(clock_.currentSeconds());
            break;
        case 4:
            renderer_.SceneSwarm(clock_.currentSeconds(), tracks_.value(TrackId::Fade, row));
            break;
        case 5:
            renderer_.SceneImage("dama", clock_.currentSeconds(),
                                 tracks_.value(TrackId::Flash, row));
            break;
        case 6:
            renderer_.SceneImage("demo", 0.0f, tracks_.value(TrackId::Flash, row));
            break;
        default:
            renderer_.ClearBackBuffer(kNoPartColor);
            break;
    }
}

void FrameLoop::RunFilter(float row) {
    const int filter = TruncateSelector(tracks_.value(TrackId::Filter, row));
    const float fp = tracks_.value(TrackId::Fp, row);
    switch (filter) {
        case 0:
            renderer_.FilterDefault();
            std::fprintf(out_, "clear\n");
            break;
        case 1:
            renderer_.FilterGaussian(fp);
            break;
        case 2:
            renderer_.FilterEdge(fp);
            break;
        case 3:
            renderer_.FilterBlurTwoHalf(fp);
            break;
        case 4:
            renderer_.FilterBlurQuarter(fp);
            break;
        case 5:
            renderer_.FilterBlurStacked(fp, tracks_.value(TrackId::Fp2, row));
            break;
        case 6:
            renderer_.FilterEdgeBlur(fp);
            break;
        default:
            renderer_.FilterDefault();
            break;
    }
}

bool FrameLoop::DrainMessages() {
    bool stop = false;
    ui::Msg msg;
    while (pump_.Peek(&msg)) {
        pump_.Translate(msg);
        pump_.Dispatch(msg);
        if (msg.message == ui::WM_QUIT) stop = true;
        if (msg.message == ui::WM_KEYDOWN && (msg.wParam & 0xFFFF) == ui::VK_ESCAPE) stop = true;
    }
    return stop;
}

}  // namespace driver
