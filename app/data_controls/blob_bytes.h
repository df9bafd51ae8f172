#pragma once
// The whole value of a BLOB field of the active record, read and written
// through the dataset's BLOB streams. Reading stops at a byte limit so a
// damaged or hostile value cannot take all memory: a longer value is
// reported as too long instead of being cut.
#include <QByteArray>
#include <QByteArrayView>

namespace dvx {
class TField;
}

namespace fendra {

struct TBlobRead {
  QByteArray bytes;
  bool tooLong = false;  // the value is longer than the limit; bytes is empty
};

// An empty result for a NULL field.
TBlobRead ReadBlobBytes(dvx::TField& field, qsizetype limit);
// Replaces the value (the dataset must be in edit or insert state); empty
// bytes make the field NULL.
void WriteBlobBytes(dvx::TField& field, QByteArrayView bytes);

}  // namespace fendra
