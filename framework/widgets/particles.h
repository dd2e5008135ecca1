// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Short-lived sprites that move, spin, grow and fade, and remove themselves
// from their list when they fade out, shrink away, leave the screen or run out
// of life; programmed phases and emitters over time.
#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "framework/widgets/sprite.h"

class TParticle;
class TParticleList;
class TParticleGenerator;

using TParticleFunction = std::function<int(TParticle&)>;

class TParticlePhase {
public:
    virtual ~TParticlePhase() = default;

    float Length = 0;  // steps
    int Hidden = 0;
    float dx = 0, dy = 0;
    int SetCoords = 0;
    float SetX = 0, SetY = 0;
    float xgravity = 0, ygravity = 0;
    float FadeInMS = 0, FadeSustainMS = 0, FadeMS = 0;
    int DoRotate = 0;
    float RotationSpeed = 0;
    int SetAngle = 0;
    float Angle = 0;
    int DoScale = 0;
    float ScaleSpeed = 0;
    // 0 keeps the particle's scale.
    float Scale = 0;
    // -1 keeps the particle's alpha.
    int Alpha = -1;
    // Called when the phase ends.
    TParticleFunction UserFunction;

    void SetFade(float inMs, float sustainMs, float outMs);
};

class TParticle : public TSprite {
public:
    // The list that owns the particle; the list clears it when it goes.
    TParticleList* Particles = nullptr;
    int Hidden = 0;
    // Steps left to live; 0 means no limit.
    float LifeCounter = 0;
    float FadeIn = 0;
    float FadeSustainCounter = 0;
    float FadeCounter = 0;
    float FadeInLength = 0, FadeLength = 0;
    int DoLightBlend = 0;
    // > 0 spins forwards, < 0 backwards, at RotationSpeed per step.
    int DoRotate = 0;
    int DoScale = 0;
    int Data1 = 0, Data2 = 0, Data3 = 0;
    std::shared_ptr<void> DataObject;
    float FloatData1 = 0;
    std::vector<std::shared_ptr<TParticlePhase>> PhaseList;
    std::shared_ptr<TParticlePhase> CurrentPhase;
    float PhaseCounter = 0;
    int NoOutOfBounds = 0;
    int KillOnFade = 1;
    int KillAfterAnim = 0;
    float DelayCounter = 0;
    TParticleFunction DelayFinished;
    // Move the stored original position instead (lists scaled as a whole).
    int UpdateOriginalCoords = 0;
    // Replaces the built-in movement.
    TParticleFunction UserMove;
    TParticleFunction DestinationReached;
    int DestX = 0, DestY = 0;
    TParticleFunction UserKill;
    std::shared_ptr<TParticleGenerator> ParticleGenerator;
    std::shared_ptr<TParticle> AttachedParticle;
    int KillAttachedParticle = 1;
    // Identifier written into the collision layer by TParticleList::Collide.
    int CollisionId = 0;

    TParticle();

    int Move() override;
    // The fade in, the sustain and the fade out, one step on; the fade out may end the particle.
    void ManageFade();
    // 0 when inactive or hidden, else 1.
    int Draw() override;
    // Removes the particle from its list; safe while the list is being walked.
    int Kill() override;

    // Starts fading out at once over fadeMs unless SetFade follows.
    static std::shared_ptr<TParticle> CreateSpecial(std::shared_ptr<TGameImage> image, float x, float y, float dx,
                                                    float dy, float ygravity, float fadeMs, int lightBlend, int rotate,
                                                    float rotationSpeed, float scale, float scaleSpeed, int lifeMs);
    int SetDelay(int ms);
    std::shared_ptr<TParticlePhase> AddPhase(int lengthMs);
    int StartPhases();
    int ApplyPhase(const std::shared_ptr<TParticlePhase>& phase);
    // Fade in, hold at full strength, fade out.
    int SetFade(int inMs, int sustainMs, int outMs);
    // 0 during a phase, 1 when the next phase began, -1 after the last.
    int ManagePhases();
    int KillPhases();

private:
    friend class TParticleList;
    std::list<std::shared_ptr<TParticle>>::iterator link_;
    bool killed_ = false;
};

// Drawn in list order. Members may remove themselves, or others, while the
// list is being walked: removal during a walk leaves an empty node that the
// walk's end sweeps away.
class TParticleList {
public:
    TParticleList() = default;
    TParticleList(const TParticleList&) = delete;
    TParticleList& operator=(const TParticleList&) = delete;
    virtual ~TParticleList();

    // Adds a particle (at the front when addFirst); the list takes it over.
    void Add(const std::shared_ptr<TParticle>& particle, int addFirst);
    void Remove(TParticle& particle);
    // Removes every particle without killing it.
    void Clear();
    int Count() const;
    // The particles in drawing order.
    std::vector<std::shared_ptr<TParticle>> Items() const;
    // Visits each particle present when the walk began and still present.
    void ForEach(const std::function<void(TParticle&)>& visit);

    std::shared_ptr<TParticle> AddNew(int x, int y, std::shared_ptr<TGameImage> image, float dx, float dy,
                                      float ygravity, float fadeMs, int lightBlend, int rotate, float rotationSpeed,
                                      float scale, float scaleSpeed, int lifeMs, int addFirst);
    void Draw();
    void Move();
    void Animate();
    void Manage();
    void FadeAll(int ms);
    void SetUseAlpha(int value);
    void SetBaseScale(float sx, float sy);
    void EnableUpdateOriginalCoords();
    void ScaleCoords();
    void AddOffsets(float dx, float dy);
    void ProcessScale(float sx, float sy, float ox, float oy);
    // Writes every particle's picture into collision layer 1 under its CollisionId.
    void Collide();

private:
    std::list<std::shared_ptr<TParticle>> items_;
    int walking_ = 0;
    bool holes_ = false;
};

class TParticleGenerator {
public:
    virtual ~TParticleGenerator() = default;

    int Active = 1;
    float x = 0, y = 0, dx = 0, dy = 0;
    // Emissions left.
    int Qty = 0;
    float Interval = 0, IntervalCounter = 0;  // steps
    std::function<int(TParticleGenerator&)> MakeParticleFunction;
    int Data1 = 0, Data2 = 0;

    static std::shared_ptr<TParticleGenerator> Create(float x, float y, int qty, float intervalMs,
                                                      std::function<int(TParticleGenerator&)> makeFunction, int data1,
                                                      int data2, int emitNow);
    // -1 when inactive, 1 when it just made its last particle, else 0.
    virtual int Manage();
};

class TParticleGeneratorList {
public:
    std::list<std::shared_ptr<TParticleGenerator>> Items;

    // Emits one particle at once; kept only while it has emissions left.
    std::shared_ptr<TParticleGenerator> Add(float x, float y, int qty, float intervalMs,
                                            std::function<int(TParticleGenerator&)> makeFunction);
    // Removes the generators that finished.
    void Manage();
};
