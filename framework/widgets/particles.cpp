// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/particles.h"

#include <iterator>

#include "framework/core/game_state.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

namespace {
int NextCollisionId() {
    static int next = 0;
    return ++next;
}

float Steps(float ms) { return GameState()->CalcAnimLength(ms); }
}  // namespace

// ---- TParticlePhase ------------------------------------------------------------

void TParticlePhase::SetFade(float inMs, float sustainMs, float outMs) {
    FadeInMS = inMs;
    FadeSustainMS = sustainMs;
    FadeMS = outMs;
}

// ---- TParticle -----------------------------------------------------------------

TParticle::TParticle() : CollisionId(NextCollisionId()) {}

std::shared_ptr<TParticle> TParticle::CreateSpecial(std::shared_ptr<TGameImage> image, float x, float y, float dx,
                                                    float dy, float ygravity, float fadeMs, int lightBlend, int rotate,
                                                    float rotationSpeed, float scale, float scaleSpeed, int lifeMs) {
    auto p = std::make_shared<TParticle>();
    p->SetImage(std::move(image));
    p->SetPosition(x, y);
    p->dx = dx;
    p->dy = dy;
    if (lifeMs > 0) p->LifeCounter = Steps(static_cast<float>(lifeMs));
    p->FadeLength = Steps(static_cast<float>(static_cast<int>(fadeMs)));
    p->FadeCounter = p->FadeLength;
    p->DoLightBlend = lightBlend;
    if (p->FadeCounter > 0) p->UseAlpha = 1;
    p->ygravity = ygravity;
    p->DoRotate = rotate;
    p->RotationSpeed = rotationSpeed;
    p->ScaleX = p->ScaleY = scale;
    if (scaleSpeed != 0) {
        p->ScaleXSpeed = p->ScaleYSpeed = scaleSpeed;
        p->DoScale = 1;
    }
    p->active = 1;
    return p;
}

int TParticle::SetDelay(int ms) {
    DelayCounter = Steps(static_cast<float>(ms));
    return 0;
}

std::shared_ptr<TParticlePhase> TParticle::AddPhase(int lengthMs) {
    auto phase = std::make_shared<TParticlePhase>();
    phase->Length = Steps(static_cast<float>(lengthMs));
    PhaseList.push_back(phase);
    return phase;
}

int TParticle::StartPhases() {
    if (!PhaseList.empty()) ApplyPhase(PhaseList.front());
    return 0;
}

int TParticle::ApplyPhase(const std::shared_ptr<TParticlePhase>& phase) {
    PhaseCounter = 0;
    CurrentPhase = phase;
    if (!phase) return 0;
    Hidden = phase->Hidden;
    dx = phase->dx;
    dy = phase->dy;
    if (phase->SetCoords == 1) SetPosition(phase->SetX, phase->SetY);
    xgravity = phase->xgravity;
    ygravity = phase->ygravity;
    SetFade(static_cast<int>(phase->FadeInMS), static_cast<int>(phase->FadeSustainMS), static_cast<int>(phase->FadeMS));
    DoRotate = phase->DoRotate;
    RotationSpeed = phase->RotationSpeed;
    DoScale = phase->DoScale;
    ScaleXSpeed = ScaleYSpeed = phase->ScaleSpeed;
    if (phase->Scale != 0) ScaleX = ScaleY = phase->Scale;
    if (phase->Alpha != -1) Alpha = static_cast<float>(phase->Alpha);
    if (phase->SetAngle) Rotation = phase->Angle;
    return 0;
}

int TParticle::SetFade(int inMs, int sustainMs, int outMs) {
    if (inMs > 0) {
        FadeIn = 1;
        UseAlpha = 1;
        Alpha = 0;
    } else {
        FadeIn = 0;
    }
    FadeInLength = Steps(static_cast<float>(inMs));
    FadeSustainCounter = Steps(static_cast<float>(sustainMs));
    FadeLength = Steps(static_cast<float>(outMs));
    if (!FadeIn) {
        FadeCounter = FadeLength;
        UseAlpha = 1;
    } else {
        FadeCounter = 0;
    }
    return 0;
}

int TParticle::ManagePhases() {
    if (PhaseList.empty()) return 0;
    if (!CurrentPhase) StartPhases();
    PhaseCounter += Delta;
    if (PhaseCounter < CurrentPhase->Length) return 0;
    auto ended = CurrentPhase;
    if (ended->UserFunction) ended->UserFunction(*this);
    size_t index = 0;
    while (index < PhaseList.size() && PhaseList[index] != ended) ++index;
    if (index + 1 >= PhaseList.size()) return -1;
    ApplyPhase(PhaseList[index + 1]);
    return 1;
}

int TParticle::KillPhases() {
    PhaseList.clear();
    CurrentPhase.reset();
    PhaseCounter = 0;
    return 0;
}

void TParticle::ManageFade() {
    if (FadeIn) {
        FadeCounter += Delta;
        if (FadeCounter >= FadeInLength) {
            FadeCounter = FadeLength;
            FadeIn = 0;
            Alpha = 1.0f;
        }
    } else if (FadeSustainCounter > 0) {
        FadeSustainCounter -= Delta;
        if (!(FadeSustainCounter > 0)) {
            FadeSustainCounter = 0;
            FadeCounter = FadeLength;
        }
    } else if (FadeCounter > 0) {
        FadeCounter -= Delta;
        if (!(FadeCounter > 0)) {
            FadeCounter = 0;
            Alpha = 0;
            if (KillOnFade) Kill();
        }
    }
}

int TParticle::Move() {
    // A particle may drop out of its list (and so its last owner) mid-step.
    auto self = weak_from_this().lock();

    if (DelayCounter > 0) {
        DelayCounter -= Delta;
        if (DelayCounter > 0) {
            Hidden = 1;
            return 1;
        }
        DelayCounter = 0;
        Hidden = 0;
        if (!PhaseList.empty()) StartPhases();
        if (DelayFinished) DelayFinished(*this);
    }

    if (!PhaseList.empty() && ManagePhases() == -1) {
        Kill();
        return 0;
    }

    if (UserMove)
        UserMove(*this);
    else if (UpdateOriginalCoords == 1)
        MoveOriginalCoords();
    else
        TSprite::Move();

    if (DestinationReached) {
        const bool onX = (dx <= 0 && x <= static_cast<float>(DestX)) || (dx > 0 && x >= static_cast<float>(DestX));
        const bool onY = (dy <= 0 && y <= static_cast<float>(DestY)) || (dy > 0 && y >= static_cast<float>(DestY));
        if (onX && onY) DestinationReached(*this);
    }

    if (NoOutOfBounds != 1 && OutOfBounds()) {
        Kill();
        return 0;
    }

    ManageFade();

    if (DoRotate > 0) {
        Rotation += RotationSpeed * Delta;
        if (Rotation >= 360.0f) Rotation -= 360.0f;
    } else if (DoRotate < 0) {
        Rotation -= RotationSpeed * Delta;
        if (Rotation < 0) Rotation += 360.0f;
    }

    if (DoScale == 1) {
        ScaleX += ScaleXSpeed * Delta;
        ScaleY += ScaleYSpeed * Delta;
        if (ScaleX <= 0 || ScaleY <= 0) Kill();
    }

    if (LifeCounter > 0) {
        LifeCounter -= Delta;
        if (!(LifeCounter > 0)) Kill();
    }

    if (ParticleGenerator) ParticleGenerator->Manage();
    return 1;
}

int TParticle::Draw() {
    if (!active || Hidden == 1) return 0;
    if (FadeCounter > 0) {
        const float length = FadeIn ? FadeInLength : FadeLength;
        Alpha = length > 0 ? FadeCounter / length : 1.0f;
    }
    if (DoLightBlend) platform::SetBlend(platform::LIGHTBLEND);
    TSprite::Draw();
    if (DoLightBlend) platform::SetBlend(platform::ALPHABLEND);
    return 1;
}

int TParticle::Kill() {
    // Steps of one Move can each end the particle; it ends once.
    if (killed_) return 0;
    killed_ = true;
    auto self = weak_from_this().lock();
    TSprite::Kill();
    if (UserKill) UserKill(*this);
    active = 0;
    if (Particles) Particles->Remove(*this);
    ParticleGenerator.reset();
    if (AttachedParticle) {
        auto attached = std::move(AttachedParticle);
        AttachedParticle.reset();
        if (KillAttachedParticle) attached->Kill();
    }
    DataObject.reset();
    return 0;
}

// ---- TParticleList ---------------------------------------------------------------

TParticleList::~TParticleList() {
    for (auto& p : items_)
        if (p) p->Particles = nullptr;
}

void TParticleList::Add(const std::shared_ptr<TParticle>& particle, int addFirst) {
    if (!particle) return;
    if (particle->Particles) particle->Particles->Remove(*particle);
    particle->killed_ = false;
    if (addFirst) {
        items_.push_front(particle);
        particle->link_ = items_.begin();
    } else {
        items_.push_back(particle);
        particle->link_ = std::prev(items_.end());
    }
    particle->Particles = this;
}

void TParticleList::Remove(TParticle& particle) {
    if (particle.Particles != this) return;
    particle.Particles = nullptr;
    if (walking_) {
        particle.link_->reset();
        holes_ = true;
    } else {
        items_.erase(particle.link_);
    }
}

void TParticleList::Clear() {
    for (auto& p : items_)
        if (p) p->Particles = nullptr;
    if (walking_) {
        for (auto& p : items_) p.reset();
        holes_ = true;
    } else {
        items_.clear();
    }
}

int TParticleList::Count() const {
    int n = 0;
    for (const auto& p : items_)
        if (p) ++n;
    return n;
}

std::vector<std::shared_ptr<TParticle>> TParticleList::Items() const {
    std::vector<std::shared_ptr<TParticle>> out;
    for (const auto& p : items_)
        if (p) out.push_back(p);
    return out;
}

void TParticleList::ForEach(const std::function<void(TParticle&)>& visit) {
    if (items_.empty()) return;
    ++walking_;
    // Particles added during the walk wait for the next one.
    const auto last = std::prev(items_.end());
    for (auto it = items_.begin();; ++it) {
        if (auto p = *it) visit(*p);
        if (it == last) break;
    }
    if (--walking_ == 0 && holes_) {
        items_.remove(nullptr);
        holes_ = false;
    }
}

std::shared_ptr<TParticle> TParticleList::AddNew(int x, int y, std::shared_ptr<TGameImage> image, float dx, float dy,
                                                 float ygravity, float fadeMs, int lightBlend, int rotate,
                                                 float rotationSpeed, float scale, float scaleSpeed, int lifeMs,
                                                 int addFirst) {
    auto p = TParticle::CreateSpecial(std::move(image), static_cast<float>(x), static_cast<float>(y), dx, dy, ygravity,
                                      fadeMs, lightBlend, rotate, rotationSpeed, scale, scaleSpeed, lifeMs);
    Add(p, addFirst);
    return p;
}

void TParticleList::Draw() {
    ForEach([](TParticle& p) { p.Draw(); });
}

void TParticleList::Move() {
    ForEach([](TParticle& p) { p.Move(); });
}

void TParticleList::Animate() {
    ForEach([](TParticle& p) {
        if (p.DelayCounter == 0) p.ManageAnim();
    });
}

void TParticleList::Manage() {
    ForEach([](TParticle& p) {
        p.Move();
        if (p.killed_ || p.DelayCounter != 0) return;
        if (p.ManageAnim() && p.KillAfterAnim == 1) p.Kill();
    });
}

void TParticleList::FadeAll(int ms) {
    const float length = Steps(static_cast<float>(ms));
    ForEach([length](TParticle& p) {
        p.FadeLength = p.FadeCounter = length;
        p.UseAlpha = 1;
    });
}

void TParticleList::SetUseAlpha(int value) {
    ForEach([value](TParticle& p) { p.UseAlpha = value; });
}

void TParticleList::SetBaseScale(float sx, float sy) {
    ForEach([sx, sy](TParticle& p) {
        p.BaseScaleX = sx;
        p.BaseScaleY = sy;
    });
}

void TParticleList::EnableUpdateOriginalCoords() {
    ForEach([](TParticle& p) {
        if (p.UpdateOriginalCoords) return;
        p.StoreOriginalCoords();
        p.UpdateOriginalCoords = 1;
    });
}

void TParticleList::ScaleCoords() {
    ForEach([](TParticle& p) { p.ScaleOriginalCoords(); });
}

void TParticleList::AddOffsets(float dx, float dy) {
    ForEach([dx, dy](TParticle& p) {
        p.x += dx;
        p.y += dy;
    });
}

void TParticleList::ProcessScale(float sx, float sy, float ox, float oy) {
    ForEach([=](TParticle& p) {
        p.BaseScaleX = sx;
        p.BaseScaleY = sy;
        p.x = p.ox * sx + ox;
        p.y = p.oy * sy + oy;
    });
}

void TParticleList::Collide() {
    ForEach([](TParticle& p) {
        if (!p.image || !p.image->image) return;
        const int frameNumber = p.AnimCounter > 0 ? p.GetAnimFrame() : p.ImageFrame;
        platform::CollideImage(p.image->image, static_cast<float>(static_cast<int>(p.x)),
                               static_cast<float>(static_cast<int>(p.y)), frameNumber, 0, 1, p.CollisionId);
    });
}

// ---- generators --------------------------------------------------------------------

std::shared_ptr<TParticleGenerator> TParticleGenerator::Create(float x, float y, int qty, float intervalMs,
                                                               std::function<int(TParticleGenerator&)> makeFunction,
                                                               int data1, int data2, int emitNow) {
    auto g = std::make_shared<TParticleGenerator>();
    g->x = x;
    g->y = y;
    g->Qty = qty - 1;
    g->Interval = g->IntervalCounter = GameState()->CalcAnimLengthFromFloat(intervalMs);
    g->MakeParticleFunction = std::move(makeFunction);
    g->Data1 = data1;
    g->Data2 = data2;
    if (emitNow && g->MakeParticleFunction) g->MakeParticleFunction(*g);
    return g;
}

int TParticleGenerator::Manage() {
    if (!Active) return -1;
    x += dx * Delta;
    y += dy * Delta;
    if (IntervalCounter > 0) IntervalCounter -= Delta;
    while (IntervalCounter <= 0) {
        IntervalCounter += Interval;
        --Qty;
        if (MakeParticleFunction) MakeParticleFunction(*this);
        if (Qty == 0) {
            Active = 0;
            return 1;
        }
        // Without an interval the counter never climbs back above 0: one
        // particle per step rather than an endless burst.
        if (Interval <= 0) break;
    }
    return 0;
}

std::shared_ptr<TParticleGenerator> TParticleGeneratorList::Add(float x, float y, int qty, float intervalMs,
                                                                std::function<int(TParticleGenerator&)> makeFunction) {
    auto g = TParticleGenerator::Create(x, y, qty, intervalMs, std::move(makeFunction), 0, 0, 1);
    if (g->Qty > 0) Items.push_back(g);
    return g;
}

void TParticleGeneratorList::Manage() {
    for (auto it = Items.begin(); it != Items.end();) {
        auto g = *it;
        if (g->Manage() == 1)
            it = Items.erase(it);
        else
            ++it;
    }
}
