#pragma once

#include <array>
#include <ostream>

namespace vantuke {
class TForm1;
}

namespace windowtest {

// One view of the main window: a step, and on step 2 a process and its sub-method.
struct WindowView {
    const char* name;
    int step;
    int process;   // -1: not on step 2
    int subMethod; // -1: not "Filename>TAG"
};

inline void PrintTo(const WindowView& view, std::ostream* out) {
    *out << view.name;
}

// Every view: the three steps, each process page, both sub-methods.
extern const std::array<WindowView, 9> kWindowViews;

// Shows the view by clicking its tabs, as a user would.
void ShowView(vantuke::TForm1& window, const WindowView& view);

} // namespace windowtest
