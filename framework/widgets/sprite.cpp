#include "framework/widgets/sprite.h"

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

int TSprite::Draw() {
    if (Image) platform::DrawImage(Image, x, y, Frame);
    return 0;
}
