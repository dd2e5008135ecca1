// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game object's mouse pointer: position and button state filled by the
// event pump, presses that widgets consume, and the pointer picture with an
// optional second picture and a trail of particles.
#include <functional>
#include <memory>
#include <string>

namespace platform {
class Image;
}
class TParticleList;

class TMousePointer {
public:
    TMousePointer();
    virtual ~TMousePointer();

    int Active = 1;
    std::shared_ptr<platform::Image> Image;
    int ImageFrame = 0;
    std::string Ext = ".png";
    // Degrees, for both pictures.
    int Rotation = 0;
    // Drawn under the pointer at an offset and scale.
    std::shared_ptr<platform::Image> Image2;
    int Image2Frame = 0;
    int Image2xoff = 0, Image2yoff = 0;
    float Image2Scale = 1.0f;
    // z: the wheel position, summed over wheel events.
    int x = 0, y = 0, z = 0;
    int w = 0, h = 0;
    // Buttons held (left, right, middle) and their sum.
    int b1 = 0, b2 = 0, b3 = 0, mb = 0;
    // Presses in the current logic step and their sum.
    int h1 = 0, h2 = 0, h3 = 0, mh = 0;
    // The picture's hot spot.
    int offsetx = 0, offsety = 0;
    // Run every logic step while active (the sparkle trail).
    std::function<int()> ParticleFunc;
    std::shared_ptr<TParticleList> ParticleList;
    float SparkleCounter = 0;
    int SparkleLength = 15;
    // Called after the pointer is drawn, with its position.
    std::function<int(int, int)> UserDraw;

    virtual int On();
    // Also empties the particle trail.
    virtual int Off();
    // ImagePath + name + Ext; a missing picture ends the program.
    virtual int Load(const std::string& name);
    virtual int CalcSize();
    // Reads the platform's polled mouse instead of events.
    virtual int Update();
    // 0 when not active, else 1.
    virtual int Manage();
    virtual int UpdateCoords();
    virtual int ClearButtons();
    virtual int ClearMouseHit();
    virtual int GetMb();
    // Presses in this step; with clear the press is consumed for later callers.
    virtual int GetMh(int clear);
    virtual int CalcButtonTotals();
    virtual int Draw();
};
