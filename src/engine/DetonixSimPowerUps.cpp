// Power-ups of the simulator: revealed ones on the board, and timed effects on the players.
#include "engine/DetonixSim.h"
#include "player/ComputerPlayer.h"

namespace detonix {

namespace {
constexpr uint32_t RevealedMs = 10000;
constexpr uint32_t KickMs = 40000;
constexpr uint32_t InvisibleMs = 20000;
constexpr uint32_t SeekingMs = 20000;
constexpr int8_t UpgradeCap = 10;
const char* const MissingTimer1 = "Error - Can not find PUP Timer1 in PUpTLIST";
const char* const MissingTimer2 = "Error - Can not find PUP Timer2 in PUpTLIST";
const char* const MissingEndingTimer2 = "Error - Can not find PUp Timer2 in PUpTLIST";
}  // namespace

bool TDetonixSimulator::RevealPowerUp(TPoint cell) {
  const int8_t hidden = FState.PowerUpGrid.GetCell(cell);
  if (hidden <= Ord(otBExplosion) || hidden >= ObjectTypeCount) return false;
  FState.MazeGrid.SetCell(cell, static_cast<TObjectType>(hidden));
  CellObject(hidden);
  FPUpT1List.AddTimer(RevealedMs, cell, [this](TTimer& t) { PowerUpExpireTick(t); });
  CopyCell(cell);
  ++FStats.PowerUpsRevealed;
  return true;
}

void TDetonixSimulator::PowerUpExpireTick(TTimer& timer) {
  if (FGameOver) return;
  timer.SetEnabled(false);
  const TPoint cell = KeyToPoint(timer.Tag.Key());
  FState.MazeGrid.SetCell(cell, otEmpty);
  PaintObject(cell, Ord(otEmpty));
  if (!FPUpT1List.Remove(&timer)) FApp.ShowMessage(MissingTimer1);
  CheckCleared();
}

void TDetonixSimulator::CollectPowerUp(TPlayer& player) {
  const TPoint cell = player.Position;
  if (!FState.HasPowerUp(cell)) return;
  FPUpT1List.RemoveByPoint(cell);
  switch (FState.MazeGrid.GetCell(cell)) {
    case otBombPUP:
      if (player.MaxBombs < UpgradeCap) player.AddBomb();
      break;
    case otExpSizePUP:
      if (player.ExplosionSize < UpgradeCap) player.AddExplosionSize();
      break;
    case otSBombPUP:
      RenewEffect(player, otSBombPUP, player.CanKick, KickMs);
      player.CanKick = true;
      break;
    case otInvisiblePUP:
      RenewEffect(player, otInvisiblePUP, !player.Visible, InvisibleMs);
      player.Visible = false;
      CellObject(Ord(otEmpty));
      CellPlayer(player);
      CopyCell(cell);
      break;
    case otSKBombsPUP:
      RenewEffect(player, otSKBombsPUP, player.SeekerBombs, SeekingMs);
      player.SeekerBombs = true;
      break;
    default:
      break;  // the indestructibility power-up is never hidden, so it has no rule
  }
  const int kind = Ord(FState.MazeGrid.GetCell(cell)) - Ord(otBombPUP);
  if (kind >= 0 && kind < CollectableKinds) ++FStats.Players[PlayerIndex(player)].PowerUps[kind];
  FState.MazeGrid.SetCell(cell, otEmpty);  // used up, even when a capped upgrade gave nothing
  ++FStats.PowerUpsCollected;
  Other(player).OpponentTarget = player.Position;
  CheckCleared();
}

void TDetonixSimulator::BreakStandoff() {
  ++FStats.StandoffsBroken;
  ++FBreaksSinceHit;
  FLastBreakMs = NowMs();
  FRepeatSeen.clear();  // the effects' timers make every later state new
  FRepeatCandidate = 0;
  for (TComputerPlayer* player : {FPlayer1.get(), FPlayer2.get()}) {
    RenewEffect(*player, otSKBombsPUP, player->SeekerBombs, SeekingMs);
    player->SeekerBombs = true;
  }
}

// Taking an effect that runs already restarts its whole time.
void TDetonixSimulator::RenewEffect(TPlayer& player, TObjectType kind, bool running, uint32_t durationMs) {
  if (running && !FPUpT2List.RemoveFor(&player, Ord(kind))) FApp.ShowMessage(MissingTimer2);
  FPUpT2List.AddTimer(durationMs, &player, Ord(kind), [this](TTimer& t) { PowerUpEffectTick(t); });
}

void TDetonixSimulator::PowerUpEffectTick(TTimer& timer) {
  if (FGameOver) return;
  timer.SetEnabled(false);
  if (const TPowerUpEffect* effect = timer.Tag.As<TPowerUpEffect>()) {
    TPlayer& player = *effect->Player;
    switch (static_cast<TObjectType>(effect->Kind)) {
      case otSBombPUP: player.CanKick = false; break;
      case otInvisiblePUP: player.Visible = true; break;  // the pale figure stays until the next redraw
      case otSKBombsPUP: player.SeekerBombs = false; break;
      default:
        player.Indestructible = false;
        RedrawPlayerCell(player);
        break;
    }
  }
  if (!FPUpT2List.Remove(&timer)) FApp.ShowMessage(MissingEndingTimer2);
}

// A hit ends every timed effect at once; permanent upgrades stay.
void TDetonixSimulator::CancelPowerUps(TPlayer& player) {
  if (player.CanKick) {
    if (!FPUpT2List.RemoveFor(&player, Ord(otSBombPUP))) FApp.ShowMessage(MissingTimer2);
    player.CanKick = false;
  }
  if (!player.Visible) {
    if (!FPUpT2List.RemoveFor(&player, Ord(otInvisiblePUP))) FApp.ShowMessage(MissingTimer2);
    player.Visible = true;
  }
  if (player.SeekerBombs) {
    if (!FPUpT2List.RemoveFor(&player, Ord(otSKBombsPUP))) FApp.ShowMessage(MissingTimer2);
    player.SeekerBombs = false;
  }
}

}  // namespace detonix
