// The application record the scene tests start from: 20 particles, the default size and speed, a
// 1280 x 720 view, and the direction and colours the test asks for.
#pragma once

#include "app/app_state.h"

inline AppState MakeSceneApp(uint8_t direction, uint8_t colour = kColourCycle) {
    AppState app{};
    app.quantity = 20;
    app.sizeValue = 2.97f;
    app.speedValue = 9.95f;
    app.colour = colour;
    app.direction = direction;
    app.clientWidth = 1280;
    app.clientHeight = 720;
    return app;
}
