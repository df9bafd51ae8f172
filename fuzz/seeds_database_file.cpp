// Writes the seed corpus of fuzz_database_file into the folder given on the
// command line: small database files made by the engine itself, so the
// seeds always follow the current file format instead of being kept as
// binary files beside the sources.
//   db0.dvx      page size 256, two empty tables
//   db1.dvx      page size 512, two tables of which one was dropped again
//   records.dvx  page size 512, a table made through the table layer with
//                two indexes, records, variable strings and pictures on
//                small-data pages and large chains
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/platform/memory_file.h"
#include "engine/core/stream.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/blob_value_stream.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"

namespace {

using namespace dvx;

const char kName[] = "seed.dvx";

void Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> TablesFile(int pageSize, bool dropOne) {
  TDVXMemoryFileSystem fs;
  TDVXDiskDatabaseStorage db(kName, TDVXLockParams{1, 0}, fs);
  db.CreateDatabase(pageSize, 4, 2);
  TDVXCryptoInfo crypto;
  db.OpenDatabase(false, false, crypto);
  db.CreateTableFiles("Baum");
  db.CreateTableFiles("IndList");
  if (dropOne) db.DropTableFiles("Baum");
  db.CloseDatabase();
  return fs.Contents(kName);
}

std::vector<uint8_t> RecordsFile() {
  TDVXMemoryFileSystem fs;
  TDVXDiskDatabaseData db(kName, TDVXLockParams{1, 0}, fs);
  db.CreateDatabase(512, 4, 2);
  TDVXCryptoInfo crypto;
  db.OpenDatabase(false, true, crypto);
  {
    TDVXLocalSession session(db);
    TDVXFieldDefs fields;
    fields.Add("Id", aftInteger);
    fields.Add("Name", aftVarchar, 100);
    fields.Add("Picture", aftGraphic);
    TDVXIndexDefs indexes;
    TDVXIndexDef* pk = indexes.Add("PK");
    pk->AddColumn("Id");
    pk->SetPrimary(true);
    indexes.Add("IX_Name")->AddColumn("Name");
    db.CreateTable(session, "Remedies", fields, indexes, TDVXConstraintDefs());

    TDVXLocalCursor cursor(session, "Remedies");
    cursor.Open();
    const TDVXFieldDefs& layout = cursor.Fields();
    for (int32_t i = 0; i < 12; ++i) {
      cursor.NewRecord();
      SetFieldData(0, layout, &i, cursor.Record());
      const std::string name = "Remedy " + std::to_string(i);
      SetFieldData(1, layout, name.c_str(), cursor.Record());
      if (i % 3 == 0) {
        // The first picture needs a large chain, the others fit small pages.
        std::vector<uint8_t> picture(i == 0 ? 2000 : 120);
        for (size_t b = 0; b < picture.size(); ++b) picture[b] = static_cast<uint8_t>(b * 31 + i);
        TDVXBlobValueStream stream(*layout.Items(2));
        stream.WriteBuffer(picture.data(), picture.size(), 0);
        stream.StoreInto(2, layout, cursor.Record());
      }
      if (const TDVXCursorResult inserted = cursor.InsertRecord(); !inserted.ok())
        throw std::runtime_error("cannot insert a seed record: " + inserted.message);
    }
    cursor.Close();
  }
  db.CloseDatabase();
  return fs.Contents(kName);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  try {
    Save(folder + "/db0.dvx", TablesFile(256, false));
    Save(folder + "/db1.dvx", TablesFile(512, true));
    Save(folder + "/records.dvx", RecordsFile());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
