// Activation of the window's data components in their declaration order.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "app/data_components.h"
#include "engine/core/exception.h"

namespace fendra {
namespace {

class DataComponentsTest : public ::testing::Test {
 protected:
  std::function<void()> Record(std::string name) {
    return [this, name] { ran_.push_back(name); };
  }
  TDataComponents components_;
  std::vector<std::string> ran_;
};

TEST_F(DataComponentsTest, DeclarationOrderNamesTwentyDistinctComponents) {
  const auto& order = TDataComponents::DeclarationOrder();
  EXPECT_EQ(std::set<std::string_view>(order.begin(), order.end()).size(), order.size());
  EXPECT_EQ(order.front(), "tbGrdlg");
  EXPECT_EQ(order.back(), "tblVerw");
}

TEST_F(DataComponentsTest, ActivatesInDeclarationOrderWhateverTheRegistrationOrder) {
  for (const char* name : {"tblVerw", "dbGrdlg", "Query3", "tbGrdlg", "dbKinderKM", "tbKIndKM"})
    components_.Register(name, Record(name));
  components_.ActivateAll();
  const std::vector<std::string> expected{"tbGrdlg", "dbGrdlg", "Query3", "dbKinderKM", "tbKIndKM", "tblVerw"};
  EXPECT_EQ(ran_, expected);
  EXPECT_EQ(components_.Activated(), expected);
}

TEST_F(DataComponentsTest, NothingRegisteredActivatesNothing) {
  components_.ActivateAll();
  EXPECT_TRUE(components_.Activated().empty());
}

TEST_F(DataComponentsTest, FirstFailingActivationEndsTheSequenceWithItsError) {
  components_.Register("tbGrdlg", Record("tbGrdlg"));
  components_.Register("Query1", [] {
    throw dvx::EDVXException(9999, "Cannot open database 'dbBaum'");
  });
  components_.Register("tblTree", Record("tblTree"));
  try {
    components_.ActivateAll();
    FAIL() << "the failing activation must end start-up";
  } catch (const dvx::EDVXException& e) {
    EXPECT_EQ(e.Message(), "Cannot open database 'dbBaum'");
  }
  EXPECT_EQ(ran_, std::vector<std::string>{"tbGrdlg"});
  EXPECT_EQ(components_.Activated(), std::vector<std::string>{"tbGrdlg"});
}

TEST_F(DataComponentsTest, UnknownDuplicateAndEmptyRegistrationsAreRefused) {
  EXPECT_THROW(components_.Register("dbUnknown", Record("x")), std::invalid_argument);
  EXPECT_THROW(components_.Register("tbgrdlg", Record("x")), std::invalid_argument);
  components_.Register("dbTree", Record("dbTree"));
  EXPECT_THROW(components_.Register("dbTree", Record("again")), std::invalid_argument);
  EXPECT_THROW(components_.Register("dbAML", nullptr), std::invalid_argument);
  EXPECT_TRUE(components_.IsRegistered("dbTree"));
  EXPECT_FALSE(components_.IsRegistered("dbAML"));
}

}  // namespace
}  // namespace fendra
