// SPDX-License-Identifier: GPL-3.0-or-later
// The generating overlay.
#include "game/screens/generate_screen.h"
#include "game/screens/session.h"

#include "framework/audio/game_sound.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/text/game_text.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"

std::shared_ptr<TGenerateScreen> FreshOverlay(const std::shared_ptr<TGenerateScreen>& old) {
    if (old) old->Kill();
    auto overlay = std::make_shared<TGenerateScreen>();
    overlay->Load();
    return overlay;
}

int TGenerateScreen::Load() {
    ActivateSound = Resources.SoundBank ? Resources.SoundBank->Find("buttonclick") : nullptr;
    Channel = platform::AllocChannel();
    FadeIn = TAnimation::Create(500, 0, 0, 0, 0);
    FadeOut = TAnimation::Create(500, 0, 0, 0, 0);
    Active = 0;
    HasGenerated = 0;
    Game->FadeMusic = 0;
    return 0;
}

int TGenerateScreen::Kill() {
    Active = 0;
    return 0;
}

int TGenerateScreen::Show(int playSound) {
    Active = 1;
    MouseState = Game->Mouse->Active;
    if (playSound && ActivateSound) Game->Audio->GameSoundPlay(Channel, ActivateSound, 0);
    FadeIn->Reset();
    FadeIn->Start();
    FlushKeys();
    FlushMouse();
    return 0;
}

int TGenerateScreen::Hide() {
    if (!MouseState) Game->Mouse->Off();
    FadeOut->Reset();
    FadeOut->Start();
    FadeOut->Counter = FadeIn->Length[0] - FadeIn->Counter;
    FadeIn->Stop();
    FlushKeys();
    FlushMouse();
    return 0;
}

int TGenerateScreen::Logic() {
    if (!Active) return 0;
    FadeIn->Manage();
    if (FadeOut->Manage() && FadeOut->Finished) Active = 0;
    return 0;
}

int TGenerateScreen::Draw() {
    if (!Active) return 0;
    float dim = 0.5f, alpha = 1.0f;
    if (FadeIn->Active) {
        dim = 0.5f * FadeIn->GetRatioInvSine();
        alpha = FadeIn->GetRatioInv();
    } else if (FadeOut->Active) {
        dim = 0.5f * FadeOut->GetRatioSine();
        alpha = FadeOut->GetRatio();
    }
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(dim);
    platform::DrawRect(0, 0, 800, 600);
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(alpha);
    TextStyle.Alpha = alpha;
    SetTextShadow(3, 3, 0.4f);
    ScreenPicture(PlayModel().Puzzle.CustomMode ? "solving" : "generating")->Draw(400, 300);
    platform::SetAlpha(1.0f);
    TextStyle.Alpha = 1.0f;

    // A close that came while the overlay faded in ends the game; the puzzle the
    // player had stays as it was.
    if (!FadeIn->Active && !FadeOut->Active && !HasGenerated && !Game->IsClosing() &&
        !platform::CloseRequestPending()) {
        if (PlayModel().Puzzle.CustomMode) {
            // An accepted puzzle's notice is shown by the play screen as it starts again:
            // a dialog opened here would go with the screen change.
            if (!PlayCore().CheckCustomPuzzle()) {
                Hide();
                if (Refused)
                    Refused(ScreenText(PlayCore().CheckMessage) +
                            (PlayCore().CheckDetail.empty() ? "" : "\r\n" + PlayCore().CheckDetail));
            }
            HasGenerated = 1;
            Game->Mouse->On();
        } else if (Work) {
            const auto work = std::move(Work);
            Work = nullptr;
            HasGenerated = 1;
            if (!work()) Hide();
            Game->Mouse->On();
        } else {
            PlayCore().NewPuzzle();
            HasGenerated = 1;
            PlayModel().Puzzle.CustomMode = 0;
            GoToScreen(TScreenId::Game);
            Game->Mouse->On();
            StartPuzzleTimer();
        }
        // The work may have taken long; do not make up for it with a burst of steps.
        Game->FixedRateLogic->Init();
    }
    return 0;
}
