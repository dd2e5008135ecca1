#pragma once
// A picture placed on the screen. The full sprite family (movement, scaling,
// glow, animation) grows from this base.
#include <memory>

namespace platform {
class Image;
}

class TSprite {
public:
    virtual ~TSprite() = default;

    std::shared_ptr<platform::Image> Image;
    int Frame = 0;
    float x = 0, y = 0;
    float w = 0, h = 0;

    virtual int Draw();
};
