// Shows a caption and a text to the user and waits for OK. Headless runs and tests replace the box.
#pragma once

#include <string>

// A replacement for the box; a plain function pointer so that it still works during static teardown,
// when the memory tracker shows its exit boxes.
using MessageBoxHook = void (*)(const std::string& caption, const std::string& text);

// Shows the box: through the hook when one is set; on stderr when VELMVIEW_NO_DIALOGS=1; else an SDL box.
void ShowMessageBox(const std::string& caption, const std::string& text);

// Sets (or, with nullptr, clears) the replacement. Returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// A start-up failure that leaves the client unusable (no font, no profile, no address file): besides its
// line in _error.txt, said on stderr when dialogs are off (headless runs, where nobody reads the logs).
// Each text once per process.
void EchoStartupFailure(const std::string& text);
