// Binary data sets: a 24-byte header ("QK DataSet V1.0.0", a zero byte, two
// bytes not examined, the little-endian signed 32-bit offset of the first
// record), then 12-byte records of six little-endian signed 16-bit values:
// acceleration x, y, z and angular rate x, y, z.
#ifndef BRELVIK_RECORDINGS_DATA_SET_H_
#define BRELVIK_RECORDINGS_DATA_SET_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/options.h"

struct DataSetRecord {
  int16_t values[6];  // acc x, y, z, gyro x, y, z
};

// An open data set, positioned at its next record.
struct DataSetFile;

// Opens path as a data set.  Null with *error filled when the file cannot
// be opened, is shorter than the header, lacks the magic text, or names a
// record offset below 24.
DataSetFile* OpenDataSet(const std::string& path, std::string* error);

// Reads up to count whole records; 0 at the end of the data (a trailing
// part-record is ignored) or after a read error.
size_t ReadDataSetRecords(DataSetFile* file, DataSetRecord* destination, size_t count);

// True when a read failed (as opposed to the data ending).
bool DataSetReadFailed(const DataSetFile* file);

// Closes the file and frees the handle; null is accepted.
void CloseDataSet(DataSetFile* file);

// Converts a data set into its feature file, like ConvertTextFile.  Each
// record becomes a sample whose sequence number is the record's 0-based
// index, wrapped to 16 bits.  No scaling factor applies.
int ConvertDataSetFile(const std::string& inputName, const std::string* outputName,
                       ConversionOptions* options, std::string* error);

#endif  // BRELVIK_RECORDINGS_DATA_SET_H_
