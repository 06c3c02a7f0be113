// The demo's entry function: setup dialog, display, audio, loading, sync tracks, the frame loop and
// shut-down, in that order. Every run mode (the interactive program, headless tests, the capture
// tool) configures the platform layer (gfx::Configure, ui::Configure, audio::Configure) and then
// calls it once per process.
//
// Returns 0 after a normal end, after Exit in the dialog and after a soundtrack that cannot be
// opened; 1 when no graphics adapter, window or device could be had ("au" printed for the latter);
// -1 after a fatal error, reported as "*** error: <message>" on stderr.
#pragma once

int DemoMain();
