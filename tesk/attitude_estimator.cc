// The attitude estimator's update.
//
// The update is written on plain doubles rather than on Quaternion and
// dVector objects: it runs once per sample of recordings of millions of
// samples, and the object form builds and checks a dozen small vectors per
// step.  Each helper below performs exactly the floating-point operations of
// the Quaternion / dVector operation it stands for, in the same order and with
// the same zero operands (a product with a zero component still decides the
// sign of a zero result), so the orientation is bit-identical to the one the
// object form computes.
#include "tesk/attitude_estimator.h"

#include <cmath>

namespace {

// Upper limit of biasCount.
constexpr int32_t kBiasCountLimit = 10000;
// Half-width of the acceptance band of the bias step, degrees per second.
constexpr double kBiasBand = 10.0;
constexpr double kDegreesToRadians = 0.017453292519943295;
// Acceleration magnitude (g) at which the correction weight peaks, the width
// of its bell curve (g) and the gain: the largest fraction of the angle to the
// reference direction that one update turns back.
constexpr double kWeightCentre = 1.0;
constexpr double kWeightWidth = 0.1;
constexpr double kGain = 0.1;

// A quaternion (s, x, y, z) on plain doubles.
struct Quat {
  double s, x, y, z;
};

// Dot of two 3-vectors: sum = a[i] * b[i] + sum, from 0.0 and index 0.
inline double Dot3(double ax, double ay, double az, double bx, double by, double bz) {
  double sum = 0.0;
  sum = ax * bx + sum;
  sum = ay * by + sum;
  sum = az * bz + sum;
  return sum;
}

// Norm of a 3-vector: the square root of Dot3 of it with itself.
inline double Norm3(double x, double y, double z) {
  return std::sqrt(Dot3(x, y, z, x, y, z));
}

// The Hamilton product p (x) r, as Quaternion::operator*.
inline Quat Multiply(const Quat& p, const Quat& r) {
  const double c0 = p.y * r.z - p.z * r.y;
  const double c1 = p.z * r.x - p.x * r.z;
  const double c2 = p.x * r.y - p.y * r.x;
  Quat out;
  out.s = p.s * r.s - Dot3(p.x, p.y, p.z, r.x, r.y, r.z);
  out.x = (p.s * r.x + r.s * p.x) + c0;
  out.y = (p.s * r.y + r.s * p.y) + c1;
  out.z = (p.s * r.z + r.s * p.z) + c2;
  return out;
}

// The three-angle rotation (Rz (x) Ry) (x) Rx, as Quaternion(a, b, c).
inline Quat FromAngles(double a, double b, double c) {
  const Quat rx{std::cos(a / 2.0), std::sin(a / 2.0), 0.0, 0.0};
  const Quat ry{std::cos(b / 2.0), 0.0, std::sin(b / 2.0), 0.0};
  const Quat rz{std::cos(c / 2.0), 0.0, 0.0, std::sin(c / 2.0)};
  return Multiply(Multiply(rz, ry), rx);
}

// q.inverse(): the conjugate, (-1.0) times the vector part, over the norm.
inline Quat Inverse(const Quat& q) {
  const double n = std::sqrt(q.s * q.s + Dot3(q.x, q.y, q.z, q.x, q.y, q.z));
  return Quat{q.s / n, ((-1.0) * q.x) / n, ((-1.0) * q.y) / n, ((-1.0) * q.z) / n};
}

}  // namespace

void InitAttitude(AttitudeEstimator* estimator) {
  estimator->orientation = std::make_unique<Quaternion>();
  estimator->gyroBias = Vec3{0.0, 0.0, 0.0};
  estimator->biasCount = 0;
}

void ReleaseAttitude(AttitudeEstimator* estimator) { estimator->orientation.reset(); }

void UpdateGyroBias(AttitudeEstimator* estimator, Vec3* bias, const Vec3& gyro,
                    int32_t maxCount, double band) {
  const double d0 = gyro.x - bias->x;
  const double d1 = gyro.y - bias->y;
  const double d2 = gyro.z - bias->z;
  const bool accepted = estimator->biasCount == 0 ||
                        (-band < d0 && d0 < band && -band < d1 && d1 < band &&
                         -band < d2 && d2 < band);
  if (accepted) {
    const double n = static_cast<double>(estimator->biasCount);
    // Formed as an integer first; 64 bits so that no limit can overflow it.
    const double n1 = static_cast<double>(static_cast<int64_t>(estimator->biasCount) + 1);
    bias->x = (n * bias->x + gyro.x) / n1;
    bias->y = (n * bias->y + gyro.y) / n1;
    bias->z = (n * bias->z + gyro.z) / n1;
  }
  if (estimator->biasCount < maxCount) ++estimator->biasCount;
}

void AdvanceAttitude(AttitudeEstimator* estimator, const Vec3& gyro, const Vec3& acc,
                     double dt) {
  UpdateGyroBias(estimator, &estimator->gyroBias, gyro, kBiasCountLimit, kBiasBand);
  const Vec3& bias = estimator->gyroBias;

  // Integrate the angular rate, the increment on the right.
  const Quat dq = FromAngles(((gyro.x - bias.x) * kDegreesToRadians) * dt,
                             ((gyro.y - bias.y) * kDegreesToRadians) * dt,
                             ((gyro.z - bias.z) * kDegreesToRadians) * dt);
  Quaternion& orientation = *estimator->orientation;
  Quat q{orientation.s, orientation.v[0], orientation.v[1], orientation.v[2]};
  q = Multiply(q, dq);

  // The acceleration seen in the reference frame: q (x) (0, acc) (x) q^-1.
  const Quat a{0.0, acc.x, acc.y, acc.z};
  const Quat qi = Inverse(q);
  const Quat r = Multiply(Multiply(q, a), qi);

  // Correction axis: Cross(r.v, g) with the reference g = (0, 0, -1).
  const double gx = 0.0;
  const double gy = 0.0;
  const double gz = -1.0;
  const double axisX = r.y * gz - r.z * gy;
  const double axisY = r.z * gx - r.x * gz;
  const double axisZ = r.x * gy - r.y * gx;
  const double axisNorm = Norm3(axisX, axisY, axisZ);

  // An axis of length 0 has no direction to turn about: no correction.
  if (axisNorm != 0.0) {
    const double phi = std::asin(axisNorm / Norm3(r.x, r.y, r.z));
    const double m = std::sqrt((acc.x * acc.x + acc.y * acc.y) + acc.z * acc.z);
    const double e = m - kWeightCentre;
    const double w = std::exp(((-e) * e) / (kWeightWidth * kWeightWidth)) * kGain;

    // The correction, as Quaternion(w * phi, axis), applied on the left.
    const double theta = w * phi;
    const double h = std::sin(theta / 2.0);
    const Quat c{std::cos(theta / 2.0), (h * axisX) / axisNorm, (h * axisY) / axisNorm,
                 (h * axisZ) / axisNorm};
    q = Multiply(c, q);
  }

  orientation.s = q.s;
  orientation.v[0] = q.x;
  orientation.v[1] = q.y;
  orientation.v[2] = q.z;
}

matrix<double> UpdateAttitude(AttitudeEstimator* estimator, const Vec3& gyro,
                              const Vec3& acc, const Vec3& /*extra*/, double dt) {
  AdvanceAttitude(estimator, gyro, acc, dt);
  return estimator->orientation->to_rotation_matrix();
}
