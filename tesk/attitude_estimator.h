// The attitude estimator: tracks the orientation of an inertial sensor, one
// sample at a time, from its angular rate and acceleration.
//
// Each update removes a running estimate of the gyro offset from the angular
// rate, integrates the rate into the orientation quaternion, and then turns
// the orientation a small step so that the measured acceleration, seen in the
// reference frame, moves toward the reference direction (0, 0, -1).  The step
// is largest when the acceleration has a magnitude of 1 g and falls off fast
// away from it.  The orientation is never renormalised.
//
// Inputs are in degrees per second, g and seconds; angles inside are radians.
#ifndef TESK_ATTITUDE_ESTIMATOR_H_
#define TESK_ATTITUDE_ESTIMATOR_H_

#include <cstdint>
#include <memory>

#include "tesk/MatrixAlgebra"
#include "tesk/Quaternion"

struct Vec3 {
  double x, y, z;
};

struct AttitudeEstimator {
  // Turns a vector u of the sensor frame into the reference frame as the
  // vector part of orientation (x) (0, u) (x) orientation.inverse().
  std::unique_ptr<Quaternion> orientation;
  // Running gyro offset, degrees per second.
  Vec3 gyroBias;
  // Bias steps so far, accepted or not, up to the limit of the bias step.
  int32_t biasCount;
};

// Sets the estimator to its initial state: orientation a new (1, 0, 0, 0),
// bias (0, 0, 0), count 0.
void InitAttitude(AttitudeEstimator* estimator);

// Frees the orientation.  Safe to call on an estimator already released.
void ReleaseAttitude(AttitudeEstimator* estimator);

// The bias step.  The reading gyro is accepted when no step has been made
// yet, or when it lies strictly within band of *bias on every axis; an
// accepted reading moves *bias to the running mean over biasCount + 1
// readings.  Accepted or not, biasCount grows by one while below maxCount.
void UpdateGyroBias(AttitudeEstimator* estimator, Vec3* bias, const Vec3& gyro,
                    int32_t maxCount, double band);

// One update of the estimator with the angular rate gyro (degrees per second)
// and the acceleration acc (g) over dt seconds; `extra` is not read.  Returns
// the rotation matrix of the new orientation.  Exactly AdvanceAttitude
// followed by orientation->to_rotation_matrix().
matrix<double> UpdateAttitude(AttitudeEstimator* estimator, const Vec3& gyro,
                              const Vec3& acc, const Vec3& extra, double dt);

// The update of UpdateAttitude without building the rotation matrix: the bias
// step, the integration of the angular rate and the gravity correction.  When
// the correction axis has length 0 (the rotated acceleration lies on the
// reference line, or the acceleration is zero) no correction is made and the
// orientation stays as the integration left it.  Allocates nothing.
void AdvanceAttitude(AttitudeEstimator* estimator, const Vec3& gyro, const Vec3& acc,
                     double dt);

#endif  // TESK_ATTITUDE_ESTIMATOR_H_
