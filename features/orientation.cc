// Angles of the orientation and their compensation.
#include "features/orientation.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

// Degrees of a float angle in radians: widened, times 180, divided by pi.
inline double Degrees(float radians) { return (static_cast<double>(radians) * 180.0) / kPi; }

// Truncates degrees toward zero; an undefined value gives 0.
inline int32_t WholeDegrees(double degrees, bool* undefined) {
  *undefined = std::isnan(degrees);
  return *undefined ? 0 : static_cast<int32_t>(degrees);
}

}  // namespace

Angles AnglesOf(double w, double x, double y, double z) {
  Angles a{};
  float sine = static_cast<float>(2.0 * (w * y - x * z));
  // A quaternion whose norm drifted above 1 may push the argument past 1.
  if (sine > 1.0f) sine = 1.0f;
  if (sine < -1.0f) sine = -1.0f;
  const float roll = static_cast<float>(std::asin(static_cast<double>(sine)));
  a.roll = WholeDegrees(Degrees(roll), &a.rollUndefined);

  const float pitchY = static_cast<float>(2.0 * (y * z + w * x));
  const float pitchX = static_cast<float>(2.0 * (w * w + z * z) - 1.0);
  const float pitch = static_cast<float>(std::atan2(static_cast<double>(pitchY), static_cast<double>(pitchX)));
  a.pitch = WholeDegrees(Degrees(pitch), &a.pitchUndefined);
  if (!a.pitchUndefined) a.pitch -= 90;

  const float yawY = static_cast<float>(2.0 * (x * y + w * z));
  const float yawX = static_cast<float>(2.0 * (w * w + x * x) - 1.0);
  const float yaw = static_cast<float>(std::atan2(static_cast<double>(yawY), static_cast<double>(yawX)));
  a.yaw = WholeDegrees(Degrees(yaw), &a.yawUndefined);
  return a;
}

void LevelAngles(Angles* angles, bool compensate, int32_t rowCount, int32_t rawAcc, int32_t* rollOffset,
                 int32_t* pitchOffset) {
  const bool inWindow = rowCount >= 50 && rowCount <= 59 && rawAcc > 95 && rawAcc < 105;
  if (compensate && !angles->rollUndefined) {
    if (*rollOffset != 0) {
      angles->roll += *rollOffset;
    } else if (inWindow && angles->roll > -20 && angles->roll < 20) {
      *rollOffset = -angles->roll;
    }
  }
  if (angles->pitch < -180) angles->pitch += 360;
  if (compensate && !angles->pitchUndefined) {
    if (*pitchOffset != 0) {
      angles->pitch += *pitchOffset;
    } else if (inWindow && angles->pitch > -40 && angles->pitch < 40) {
      *pitchOffset = -angles->pitch;
    }
  }
}
