#include "simulated_intro.h"

#include <string>

#include "app/intro_content.h"
#include "app/intro_geometry.h"
#include "app/tool_content.h"

namespace {
DrawTarget clientArea(ClientWidth, ClientHeight);

DrawTarget* ClientArea(void*) { return &clientArea; }
}  // namespace

bool StartSimulatedIntro(void (*musicStart)(), void (*musicStop)()) {
    clientArea = DrawTarget(ClientWidth, ClientHeight);
    clientArea.recordBlits = false;
    std::string error;
    if (IntroContent().pageCount == 0 && !UseToolContent("", &error)) return false;
    return BeginSimulatedIntro(ClientArea, musicStart, musicStop);
}

const DrawTarget& SimulatedClientArea() { return clientArea; }
