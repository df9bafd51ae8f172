#pragma once
// Shared setup of the dataset framework tests: a memory dataset with rows
// keyed 1..n, a data source and a link that records what it hears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/components/data_link.h"
#include "engine/components/data_source.h"
#include "engine/components/database_error.h"
#include "tests/support/memory_dataset.h"

namespace dvx::testing {

// Records every call the framework makes, as short texts.
class TRecordingLink : public TDataLink {
 public:
  std::vector<std::string> events;
  std::vector<int> scrolls;
  void ClearEvents() {
    events.clear();
    scrolls.clear();
  }

 protected:
  void ActiveChanged() override { events.push_back(Active() ? "active" : "inactive"); }
  void EditingChanged() override { events.push_back(Editing() ? "editing" : "browsing"); }
  void DataSetChanged() override { events.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    events.push_back("scrolled");
    scrolls.push_back(distance);
  }
  void RecordChanged(TField* field) override { events.push_back(field ? "field " + field->FieldName() : "record"); }
  void LayoutChanged() override { events.push_back("layout"); }
  void UpdateData() override {
    events.push_back("update");
    if (onUpdate) onUpdate();
  }
  void CheckBrowseMode() override { events.push_back("check"); }
  void FocusControl(TField* field) override { events.push_back("focus " + (field ? field->FieldName() : "")); }

 public:
  std::function<void()> onUpdate;
};

// The message of an EDatabaseError raised by `action`, "" if none.
template <typename F>
std::string DatabaseErrorOf(F&& action) {
  try {
    action();
  } catch (const EDatabaseError& error) {
    return error.Message();
  }
  return "";
}

class DataSetTest : public ::testing::Test {
 protected:
  void Fill(int count) {
    for (int i = 1; i <= count; ++i) dataSet.AddRow(i, "Row " + std::to_string(i), i * 1.5, 700000 + i);
  }
  void OpenWith(int count, int bufferCount = 1) {
    Fill(count);
    source.SetDataSet(&dataSet);
    link.SetDataSource(&source);
    link.SetBufferCount(bufferCount);
    dataSet.Open();
    link.ClearEvents();
  }
  int32_t Key() { return dataSet.FieldByName("Key").AsInteger(); }
  // The keys of the link's rows, top to bottom.
  std::vector<int32_t> LinkKeys() {
    std::vector<int32_t> keys;
    const int active = link.ActiveRecord();
    for (int row = 0; row < link.RecordCount(); ++row) {
      link.SetActiveRecord(row);
      keys.push_back(dataSet.FieldByName("Key").IsNull() ? -1 : Key());
    }
    link.SetActiveRecord(active);
    return keys;
  }

  TMemoryDataSet dataSet;
  TDataSource source;
  TRecordingLink link;
};

}  // namespace dvx::testing
