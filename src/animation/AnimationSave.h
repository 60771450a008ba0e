#pragma once
// The windows' "Save &Animation..." command: the dialog of kind, frames,
// frames per second and loop (through Prompts), the save dialog, then the
// frames written with the program's progress window once the save has taken
// a second; its Cancel stops the save and writes nothing.

#include <functional>
#include <memory>
#include <string>

#include "animation/Animation.h"

namespace wlg {

class Prompts;
class ProgressReporter;
class frmS;

// The dialog's choices, kept by each window between saves.
struct AnimationChoice {
  AnimationOptions options;
  int frames = kDefaultAnimationFrames;
};

inline constexpr const char* kAnimationTitle = "Save Animation";
inline constexpr const char* kAnimationFailed = "Sorry, the animation could not be saved:";
inline constexpr const char* kAnimationNumbers =
    "Frames must be a whole number from 1 to 3600, and frames per second a number from 1 to 60.";
inline constexpr const char* kAnimationProgress = "Saving animation...";

// Asks the kind, frames, frames per second and loop, starting from 'last'
// and keeping the answer there. False when cancelled.
bool AskAnimation(Prompts& prompts, AnimationChoice& last);

// The whole command for a window: 'frames' makes the source once the name is
// chosen (nothing when there is nothing to turn). 'owner' is the window the
// progress window shows over.
void SaveAnimationCommand(frmS& designer, const char* dialogTitle, AnimationChoice& last,
                          std::string& lastName, const void* owner,
                          const std::function<std::unique_ptr<FrameSource>(int frames)>& frames);

}  // namespace wlg
