// Randomized check of record buffers against a model: random tables, random
// writes of values, strings and NULLs; every field must read back what was
// last written to it, and no write may touch another field's bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/schema/record_buffer.h"

namespace dvx {
namespace {

const int kTypes[] = {aftChar, aftVarchar, aftWideChar, aftWideVarchar, aftShortInt, aftSmallInt, aftInteger,
                      aftLargeInt, aftByte, aftWord, aftCardinal, aftSingle, aftDouble, aftExtended, aftBoolean,
                      aftCurrency, aftDate, aftTime, aftDateTime, aftBytes, aftVarBytes, aftAutoInc};

TEST(RecordBufferModel, FieldsReadBackTheirLastValueAndNeverOverlap) {
  std::mt19937 rng(4711);
  for (int table = 0; table < 60; ++table) {
    TDVXFieldDefs fields;
    int count = 1 + rng() % 20;
    for (int i = 0; i < count; ++i) {
      int type = kTypes[rng() % std::size(kTypes)];
      fields.Add("F" + std::to_string(i), type, 1 + rng() % 12);
    }
    int32_t size = fields.RecordSize();
    std::vector<uint8_t> buffer(size, 0);
    for (int i = 0; i < count; ++i) SetNull(true, i, buffer.data());
    // Model: the expected bytes of each non-NULL field (strings: characters).
    std::map<int, std::vector<uint8_t>> model;
    for (int step = 0; step < 200; ++step) {
      int fieldNo = rng() % count;
      const TDVXFieldDef& f = *fields.Items(fieldNo);
      std::vector<uint8_t> before = buffer;
      int adv = f.AdvancedFieldType();
      if (rng() % 5 == 0) {
        SetFieldData(fieldNo, fields, nullptr, buffer.data());
        model.erase(fieldNo);
      } else if (adv == aftChar || adv == aftVarchar) {
        std::string text(rng() % (f.FieldSize() + 3), 'a');
        for (char& c : text) c = static_cast<char>('a' + rng() % 26);
        SetFieldData(fieldNo, fields, text.c_str(), buffer.data());
        text.resize(std::min<size_t>(text.size(), f.FieldSize()));
        if (text.empty())
          model.erase(fieldNo);
        else
          model[fieldNo] = std::vector<uint8_t>(text.begin(), text.end());
      } else if (adv == aftWideChar || adv == aftWideVarchar) {
        std::u16string text(rng() % (f.FieldSize() + 3), u'a');
        for (char16_t& c : text) c = static_cast<char16_t>(0xC0 + rng() % 64);
        const char16_t* p = text.c_str();
        SetFieldData(fieldNo, fields, &p, buffer.data());
        text.resize(std::min<size_t>(text.size(), f.FieldSize()));
        std::vector<uint8_t> bytes(text.size() * 2);
        if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
        if (text.empty())
          model.erase(fieldNo);
        else
          model[fieldNo] = bytes;
      } else {
        std::vector<uint8_t> value(f.MemoryDataSize());
        for (auto& b : value) b = static_cast<uint8_t>(rng());
        SetFieldData(fieldNo, fields, value.data(), buffer.data());
        model[fieldNo] = value;
      }
      // Bytes outside the written slot and its null bit are unchanged.
      for (int32_t i = fields.NullBitmapSize(); i < size; ++i) {
        if (i < f.MemoryOffset() || i >= f.MemoryOffset() + f.MemoryDataSize()) {
          ASSERT_EQ(before[i], buffer[i]) << "byte " << i << " changed by field " << fieldNo;
        }
      }
      for (int i = 0; i < count; ++i) {
        if (i != fieldNo) {
          ASSERT_EQ(IsNull(i, before.data()), IsNull(i, buffer.data()));
        }
      }
    }
    for (int i = 0; i < count; ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      int adv = f.AdvancedFieldType();
      auto it = model.find(i);
      ASSERT_EQ(it == model.end(), IsNull(i, buffer.data())) << "field " << i;
      if (it == model.end()) continue;
      if (adv == aftChar || adv == aftVarchar) {
        std::vector<char> out(f.MemoryDataSize());
        ASSERT_TRUE(GetFieldData(i, fields, out.data(), buffer.data()));
        EXPECT_EQ(std::string(it->second.begin(), it->second.end()), std::string(out.data()));
      } else if (adv == aftWideChar || adv == aftWideVarchar) {
        const char16_t* p = nullptr;
        ASSERT_TRUE(GetFieldData(i, fields, &p, buffer.data()));
        std::vector<uint8_t> got(it->second.size() + 2);
        std::memcpy(got.data(), p, got.size());
        EXPECT_EQ(it->second, std::vector<uint8_t>(got.begin(), got.end() - 2));
        EXPECT_EQ(0, got[got.size() - 1] | got[got.size() - 2]);
      } else {
        std::vector<uint8_t> out(f.MemoryDataSize());
        ASSERT_TRUE(GetFieldData(i, fields, out.data(), buffer.data()));
        EXPECT_EQ(it->second, out);
      }
    }
  }
}

}  // namespace
}  // namespace dvx
