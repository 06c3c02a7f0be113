// content_paths: where each generated file of the default production lies, relative to the data
// folder the demo runs in.
#pragma once

namespace content {

inline constexpr const char* kMeshEyes = "vessmark/gris/h.SCENEauge2_3.mesh";
inline constexpr const char* kMeshBody = "vessmark/gris/gris.SCENEgrismesh_1.mesh";
inline constexpr const char* kMeshJaw = "vessmark/gris/gris.SCENEkjeft_0.mesh";
inline constexpr const char* kMeshNostrils = "vessmark/gris/gris.SCENEnasabor_7.mesh";
inline constexpr const char* kMeshRing = "vessmark/gris/gris.SCENEring_2.mesh";
inline constexpr const char* kMeshTusks = "vessmark/gris/gris.SCENEtann_8.mesh";

inline constexpr const char* kEyeImage = "vessmark/gris/augetext.JPG";
inline constexpr const char* kBackdropImage = "vessmark/data/bg.png";
inline constexpr const char* kTitleImage = "vessmark/data/dama.png";
inline constexpr const char* kEndImage = "vessmark/data/demo.png";

inline constexpr const char* kSoundtrack =
    "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3";
inline constexpr const char* kTrackPrefix = "s/synced";

}  // namespace content
