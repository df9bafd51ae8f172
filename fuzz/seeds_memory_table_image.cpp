// Writes the seed images of fuzz_memory_table_image into the folder named
// on the command line: in-memory tables with and without BLOB fields, with
// deleted slots, empty, and with bodies compressed by each algorithm.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/schema/record_buffer.h"
#include "engine/storage/blob_value_stream.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/memory_table_image.h"

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Image(int records, bool blobs, int deleteEvery, uint8_t algorithm) {
  dvx::TDVXBaseSequenceManager sequences;
  dvx::TDVXBaseFieldManager fields(sequences);
  dvx::TDVXBaseConstraintManager constraints;
  dvx::TDVXBaseIndexManager indexes;
  dvx::TDVXMemoryPageManager pages;
  dvx::TDVXFieldDefs& defs = fields.FieldDefs();
  defs.Add("Id", dvx::aftInteger);
  defs.Add("Name", dvx::aftVarchar, 40);
  if (blobs) {
    dvx::TDVXFieldDef* text = defs.Add("Text", dvx::aftMemo);
    text->SetBlobCompressionAlgorithm(dvx::caZLIB);
    text->SetBlobCompressionMode(1);
    defs.Add("Picture", dvx::aftBlob);
  }
  defs.RecomputeLayout();
  indexes.IndexDefs().Add("ByName")->AddColumn("Name");
  dvx::TDVXPage* page = pages.AddPage(1);
  std::memset(page->WritableBuffer(), 0x11, 64);
  pages.PutPage(page);
  pages.ApplyChanges(1);
  dvx::TDVXStorageTableInfo info;
  info.tableName = "Seeds";
  info.fields = &defs;
  dvx::TDVXMemoryRecordManager manager(info, 8);
  for (int i = 0; i < records; ++i) {
    std::vector<uint8_t> r(static_cast<size_t>(defs.RecordSize()), 0);
    for (int f = 0; f < defs.Count(); ++f) dvx::SetNull(true, f, r.data());
    dvx::SetFieldData(0, defs, &i, r.data());
    const std::string name = "Belladonna " + std::to_string(i);
    dvx::SetFieldData(1, defs, name.c_str(), r.data());
    for (int f = 2; blobs && f < 4 && i % 3 != 2; ++f) {
      dvx::TDVXBlobValueStream value(*defs.Items(f));
      const std::string text(static_cast<size_t>(20 + i * 7), static_cast<char>('a' + i % 26));
      value.WriteBuffer(text.data(), text.size(), 0);
      value.StoreInto(f, defs, r.data());
    }
    manager.InsertRecord(r.data(), 1);
  }
  for (int i = 0; deleteEvery && i < records; i += deleteEvery) manager.DeleteRecord({i, 0}, 1);
  dvx::TDVXMemoryStream stream;
  dvx::TDVXMemoryTableParts parts{&sequences, &fields, &constraints, &indexes, &pages, &manager};
  dvx::SaveMemoryTableImage(stream, "Seeds", 100, parts, algorithm, 0, 5);
  return stream.Bytes();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  Write(folder, "empty.img", Image(0, true, 0, dvx::caNone));
  Write(folder, "plain.img", Image(6, false, 0, dvx::caNone));
  Write(folder, "blobs.img", Image(7, true, 0, dvx::caNone));
  Write(folder, "deleted.img", Image(9, true, 3, dvx::caNone));
  Write(folder, "zlib.img", Image(5, true, 2, dvx::caZLIB));
  Write(folder, "bzip.img", Image(4, true, 0, dvx::caBZIP));
  Write(folder, "ppm.img", Image(4, true, 2, dvx::caPPM));
  return 0;
}
