#include "generate/render_state.h"

bool PreviewMode = false;
bool ThumbnailMode = false;
float PreviewZoom = 1.0f;
PreviewBuffers PreviewState;
