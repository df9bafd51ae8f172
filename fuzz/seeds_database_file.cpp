// Writes the seed corpus of fuzz_database_file into the folder given on the
// command line: small database files made by the engine itself, so the
// seeds always follow the current file format instead of being kept as
// binary files beside the sources.
//   db0.dvx      page size 256, two empty tables
//   db1.dvx      page size 512, two tables of which one was dropped again
//   records.dvx  page size 512, a table with records, variable strings and
//                pictures on small-data pages and large chains
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/platform/memory_file.h"
#include "engine/core/stream.h"
#include "engine/schema/record_buffer.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/blob_value_stream.h"
#include "engine/storage/disk_database_storage.h"
#include "engine/storage/disk_record_manager.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/table_files.h"

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
  TDVXDiskDatabaseStorage db(kName, TDVXLockParams{1, 0}, fs);
  db.CreateDatabase(512, 4, 2);
  TDVXCryptoInfo crypto;
  db.OpenDatabase(false, true, crypto);
  const int32_t session = db.ConnectSession();

  TDVXFieldDefs fields;
  fields.Add("Id", aftInteger);
  fields.Add("Name", aftVarchar, 100);
  fields.Add("Picture", aftGraphic);
  fields.RecomputeLayout();

  const TDVXTableListRecord table = db.CreateTableFiles("Remedies");
  TDVXBaseSequenceManager sequences;
  TDVXBaseFieldManager fieldManager(sequences);
  fieldManager.FieldDefs().Assign(fields);
  TDVXBaseConstraintManager constraints;
  TDVXMemoryStream metadata;
  SaveTableMetadataStream(metadata, fieldManager, constraints);
  TDVXTableMetadataFile metadataFile(db.PageManager());
  metadataFile.Open(table.metadataFirstPageNo);
  metadataFile.WriteStream(kSystemSessionID, metadata);
  db.PageManager().ApplyChanges(kSystemSessionID);

  TDVXStorageTableInfo info;
  info.tableID = table.tableID;
  info.tableName = table.tableName;
  info.fields = &fields;
  TDVXDiskRecordManager records(session, info, &db.PageManager(), table.pfsMapFirstPageNo, true, 10);
  for (int32_t i = 0; i < 12; ++i) {
    std::vector<uint8_t> buffer(static_cast<size_t>(fields.RecordSize()), 0);
    for (int f = 0; f < fields.Count(); ++f) SetNull(true, f, buffer.data());
    SetFieldData(0, fields, &i, buffer.data());
    const std::string name = "Remedy " + std::to_string(i);
    SetFieldData(1, fields, name.c_str(), buffer.data());
    if (i % 3 == 0) {
      // The first picture needs a large chain, the others fit small pages.
      std::vector<uint8_t> picture(i == 0 ? 2000 : 120);
      for (size_t b = 0; b < picture.size(); ++b) picture[b] = static_cast<uint8_t>(b * 31 + i);
      TDVXBlobValueStream stream(*fields.Items(2));
      stream.WriteBuffer(picture.data(), picture.size(), 0);
      stream.StoreInto(2, fields, buffer.data());
    }
    records.InsertRecord(buffer.data(), session);
  }
  db.PageManager().ApplyChanges(session);
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
