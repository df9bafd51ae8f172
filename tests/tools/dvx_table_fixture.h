// The table layer's fixture (the "Remedies" table on the in-memory file
// system) with a temporary folder, and the database written out as a real
// file for the dvx executable.
#pragma once

#include <string>

#include "tests/engine/tables/table_test_support.h"
#include "tests/tools/dvx_runner.h"

namespace dvxtest {

using dvx::testing::Succeeded;

class TDvxTableTest : public TDvxTempDirTestOf<dvx::test::TTableFixture> {
 protected:
  // Closes the database (every change is committed by then) and writes its
  // file to file_.
  void Export() {
    cursor_.reset();
    session_.reset();
    db_->CloseDatabase();
    WriteAll(file_, fs_.Contents(kFile));
  }
  // Remedies with three records: (1, 10, "Arnica"), (2, 20, "Belladonna"),
  // (3, 30, "Calendula").
  void CreateFilledRemedies() {
    CreateDatabase();
    CreateRemedies();
    OpenCursor();
    for (auto [code, name] : {std::pair{10, "Arnica"}, {20, "Belladonna"}, {30, "Calendula"}})
      ASSERT_THAT(Insert(code, name), Succeeded());
  }
};

}  // namespace dvxtest
