#pragma once
// Field values between the engine's memory format (a record buffer's
// slot, record_buffer.h) and the host format of the field's host type
// (field.h gives the host side byte by byte).
//
//   engine base type         host type          conversion
//   CHAR, STRING             ftFixedChar/String copied, NUL-terminated
//   WIDECHAR, WIDESTRING     ftWideString       UTF-16 copied, NUL-terminated
//   SIGNEDINT8..64,          ftSmallint,        widened to the host integer;
//   UNSIGNEDINT8..32         ftInteger, ftWord, written back only when the
//                            ftLargeint,        value fits the engine type
//                            ftAutoInc          (else kErrValueOutOfRange)
//   SINGLE                   ftFloat            4-byte float widened to double
//   FLOAT, CURRENCY          ftFloat/Currency   copied
//   EXTENDED                 ftFloat            10-byte float narrowed to double
//   LOGICAL (0 / -1)         ftBoolean (0 / 1)  any non-zero is true
//   DATE                     ftDate             day number copied (0001-01-01 is day 1)
//   TIME                     ftTime             milliseconds copied
//   DATETIME (day, ms)       ftDateTime         day * 86400000 + ms as a double;
//                                               "no time part" (-1) reads as 0
//   DATETIME (day, ms)       ftTimeStamp        year .. second, milliseconds
//   BYTES                    ftBytes            copied
//   VARBYTES                 ftVarBytes         uint16 length, then the bytes;
//                                               the engine keeps no length, so a
//                                               value reads back as the whole
//                                               slot, zero-padded
//   BLOB, MEMO, WIDEMEMO     BLOB types         no bytes: only NULL or not
//
// Dates and times written are checked (days 0001-01-01 .. 9999-12-31,
// milliseconds 0 .. 86399999): an invalid one is kErrInvalidDateValue.
#include <cstdint>
#include <string>

#include "engine/components/dataset_types.h"

namespace dvx {

class TDVXFieldDefs;

// Reads table field `fieldNo` of `record` into `data` in the host format
// of `hostType`; false (nothing written) when NULL. A null `data` only
// asks. `fieldName` names the field in errors.
bool EngineToHost(const TDVXFieldDefs& fields, int fieldNo, const uint8_t* record, TFieldType hostType,
                  const std::string& fieldName, void* data);

// Writes a host-format value into table field `fieldNo` of `record`; a
// null `data` makes the field NULL (and releases a pending BLOB value of
// the buffer). Nothing is changed when the value is refused.
void HostToEngine(const TDVXFieldDefs& fields, int fieldNo, uint8_t* record, TFieldType hostType,
                  const std::string& fieldName, const void* data);

}  // namespace dvx
