#include "render/fade_draw.h"

#include "render/gl_include.h"
#include "render/swarm_view.h"

void DrawFade(const FadeOverlay& fade, uint32_t list) {
    const float alpha = FadeAlpha(fade);
    if (!(alpha > 0.0f)) return;
    BeginView(kOverlayView);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    // The unit quad, moved to the middle of the 0..1 view, covers the whole viewport.
    glTranslatef(0.5f, 0.5f, -1.0f);
    glCallList(list);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    EndView();
}
