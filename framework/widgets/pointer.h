#pragma once
// The game object's mouse pointer: position, button state filled by the event
// pump, consumable presses, and the pointer picture.
#include <functional>
#include <memory>
#include <string>

namespace platform {
class Image;
}

class TMousePointer {
public:
    virtual ~TMousePointer() = default;

    int Active = 1;
    std::shared_ptr<platform::Image> Image;
    int ImageFrame = 0;
    std::string Ext = ".png";
    int Rotation = 0;
    std::shared_ptr<platform::Image> Image2;
    int Image2Frame = 0;
    int Image2xoff = 0, Image2yoff = 0;
    float Image2Scale = 1.0f;
    int x = 0, y = 0, z = 0;
    int w = 0, h = 0;
    int b1 = 0, b2 = 0, b3 = 0, mb = 0;
    int h1 = 0, h2 = 0, h3 = 0, mh = 0;
    int offsetx = 0, offsety = 0;
    std::function<int()> ParticleFunc;
    float SparkleCounter = 0;
    int SparkleLength = 15;
    std::function<int(int, int)> UserDraw;

    virtual int On();
    virtual int Off();
    virtual int CalcSize();
    virtual int Manage();
    virtual int UpdateCoords();
    virtual int ClearButtons();
    virtual int ClearMouseHit();
    virtual int GetMb();
    virtual int GetMh(int clear);
    virtual int CalcButtonTotals();
    virtual int Draw();
};
