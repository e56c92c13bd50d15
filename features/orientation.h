// Roll, pitch and yaw in whole degrees from the estimator's quaternion, and
// their level compensation by offsets learned on rows 51 to 60.
#ifndef BRELVIK_FEATURES_ORIENTATION_H_
#define BRELVIK_FEATURES_ORIENTATION_H_

#include <cstdint>

struct Angles {
  int32_t roll, pitch, yaw;
  // Which angles came out as not-a-number and were written as 0.
  bool rollUndefined, pitchUndefined, yawUndefined;
};

// The three angles of the orientation (w, x, y, z), before wrap and
// compensation.  Each argument is formed in double, rounded to float, and
// widened again for the double inverse sine or arc tangent, whose result is
// rounded to float and turned into degrees in double, then truncated.
// The inverse sine's argument is clamped to [-1, 1]; an angle that is still
// not a number is 0.
Angles AnglesOf(double w, double x, double y, double z);

// Applies the pitch wrap and, when compensate is set, the roll and pitch
// offsets (0 while not learned), learning each on the first row of the
// window (rowCount 50 to 59, raw_acc strictly between 95 and 105) whose
// angle is near level.
void LevelAngles(Angles* angles, bool compensate, int32_t rowCount, int32_t rawAcc, int32_t* rollOffset,
                 int32_t* pitchOffset);

#endif  // BRELVIK_FEATURES_ORIENTATION_H_
