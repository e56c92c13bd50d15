// One raw sensor sample as read from a recording, in the sensor's counts.
#ifndef BRELVIK_RECORDINGS_SENSOR_SAMPLE_H_
#define BRELVIK_RECORDINGS_SENSOR_SAMPLE_H_

#include <cstdint>

struct SensorSample {
  int16_t seqno;
  int16_t accX, accY, accZ;     // 8192 counts per g
  int16_t gyroX, gyroY, gyroZ;  // 65.536 counts per degree per second
};

#endif  // BRELVIK_RECORDINGS_SENSOR_SAMPLE_H_
