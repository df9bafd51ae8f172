#pragma once
// The in-memory test dataset behind a data source, for the data-aware
// controls' tests (fields: Key, Name, Amount, Day, Notes as memo, Picture
// as graphic).
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/components/data_source.h"
#include "engine/components/field.h"
#include "engine/core/stream.h"
#include "tests/support/memory_dataset.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace fendra::testing {

class DataControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { source_.SetDataSet(&dataSet_); }
  void TearDown() override {
    QApplication::processEvents();
    source_.SetDataSet(nullptr);
  }

  // Rows keyed 1, 2, 3, ... with the names given, the first one current.
  void Open(const std::vector<std::string>& names) {
    int key = 0;
    for (const std::string& name : names) dataSet_.AddRow(++key, name);
    dataSet_.Open();
  }
  void OpenNumbered(int count) {
    for (int key = 1; key <= count; ++key) dataSet_.AddRow(key, "Mittel " + std::to_string(100000 + key));
    dataSet_.Open();
  }

  dvx::TField& Field(const char* name) const { return dataSet_.FieldByName(name); }
  std::string Name() const { return Field("Name").AsString(); }
  int Key() const { return Field("Key").AsInteger(); }

  // The field's bytes, read as any reader of the record would.
  QByteArray Blob(const char* name) const {
    dvx::TField& field = Field(name);
    if (field.IsNull()) return {};
    auto stream = dataSet_.CreateBlobStream(field, dvx::bmRead);
    QByteArray bytes(static_cast<qsizetype>(stream->Size()), '\0');
    stream->ReadBuffer(bytes.data(), static_cast<size_t>(bytes.size()), 1);
    return bytes;
  }
  // Stores the bytes into the current record and posts.
  void StoreBlob(const char* name, const QByteArray& bytes) {
    dataSet_.Edit();
    {
      auto stream = dataSet_.CreateBlobStream(Field(name), dvx::bmWrite);
      stream->WriteBuffer(bytes.data(), static_cast<size_t>(bytes.size()), 1);
    }
    dataSet_.Post();
  }

  mutable dvx::testing::TMemoryDataSet dataSet_;
  dvx::TDataSource source_;
};

}  // namespace fendra::testing
