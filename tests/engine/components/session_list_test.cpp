// The session registry and the sessions: finding by name, starting and
// stopping, names given by hand and automatically, and every session
// message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/components/component_errors.h"
#include "tests/engine/components/components_fixture.h"

namespace dvx::test {
namespace {

TDVXSessionList& Sessions() { return TDVXSessionList::Instance(); }

std::unique_ptr<TDVXSession> NamedSession(const std::string& name, TComponent* owner = nullptr) {
  auto session = std::make_unique<TDVXSession>(owner);
  session->SetSessionName(name);
  return session;
}

TEST(SessionListTest, TheDefaultSessionIsFoundByItsNameAndByNoName) {
  TDVXSession& standard = Sessions().DefaultSession();
  EXPECT_EQ(standard.SessionName(), "Default");
  EXPECT_TRUE(standard.IsDefault());
  EXPECT_EQ(Sessions().FindSession(""), &standard);
  EXPECT_EQ(Sessions().FindSession("dEfAuLt"), &standard);
  EXPECT_EQ(&Sessions().GetSession(""), &standard);
}

TEST(SessionListTest, FindSessionIgnoresCaseAndReturnsNullForUnknownNames) {
  auto session = NamedSession("Reports");
  EXPECT_EQ(Sessions().FindSession("REPORTS"), session.get());
  EXPECT_EQ(Sessions().FindSession("Report"), nullptr);
  session.reset();
  EXPECT_EQ(Sessions().FindSession("Reports"), nullptr) << "a freed session leaves the registry";
}

TEST(SessionListTest, GetSessionRefusesAnUnknownName) {
  EXPECT_THAT([] { Sessions().GetSession("Nowhere"); }, ThrowsDatabaseError("Invalid session name 'Nowhere'"));
}

class SessionTest : public ::testing::Test {
 protected:
  TComponent form_;
};

TEST_F(SessionTest, PublishedDefaults) {
  TDVXSession session(&form_);
  EXPECT_FALSE(session.Active());
  EXPECT_FALSE(session.AutoSessionName());
  EXPECT_TRUE(session.KeepConnections());
  EXPECT_EQ(session.SessionName(), "");
  EXPECT_FALSE(session.IsDefault());
}

TEST_F(SessionTest, StartingWithoutANameFailsAfterOnStartup) {
  TDVXSession session(&form_);
  int startups = 0;
  session.OnStartup = [&](TDVXSession&) { ++startups; };
  EXPECT_THAT([&] { session.SetActive(true); }, ThrowsDatabaseError("Session name missing"));
  EXPECT_EQ(startups, 1);
  EXPECT_FALSE(session.Active());
}

TEST_F(SessionTest, StartingAnotherSessionStartsTheDefaultSessionFirst) {
  auto session = NamedSession("Starter", &form_);
  session->SetActive(true);
  EXPECT_TRUE(session->Active());
  EXPECT_TRUE(Sessions().DefaultSession().Active());
  session->SetActive(false);
  EXPECT_FALSE(session->Active());
}

TEST_F(SessionTest, ADuplicateNameIsRefusedWithoutRegardToCase) {
  auto first = NamedSession("Orders", &form_);
  TComponent other;
  TDVXSession second(&other);
  EXPECT_THAT([&] { second.SetSessionName("ORDERS"); }, ThrowsDatabaseError("Duplicate session name 'ORDERS'"));
  EXPECT_THAT([&] { second.SetSessionName("Default"); }, ThrowsDatabaseError("Duplicate session name 'Default'"));
  EXPECT_EQ(second.SessionName(), "");
  first->SetSessionName("orders");  // its own name in another case
  EXPECT_EQ(first->SessionName(), "orders");
}

TEST_F(SessionTest, AnActiveSessionCannotBeRenamed) {
  auto session = NamedSession("Running", &form_);
  session->SetActive(true);
  EXPECT_THAT([&] { session->SetSessionName("Other"); },
              ThrowsDatabaseError("Cannot perform this operation on an active session"));
  EXPECT_EQ(session->SessionName(), "Running");
}

TEST_F(SessionTest, RenamingASessionTakesItsDatabasesAlong) {
  auto session = NamedSession("Before", &form_);
  TDVXDatabase database(&form_);
  database.SetSessionName("Before");
  ASSERT_EQ(database.Session(), session.get());
  session->SetSessionName("After");
  EXPECT_EQ(database.SessionName(), "After");
  EXPECT_EQ(database.Session(), session.get());
}

TEST_F(SessionTest, LoadingRemembersActiveUntilLoaded) {
  TDVXSession* session = new TDVXSession(&form_);
  form_.BeginLoading();
  session->SetSessionName("Loaded");
  session->SetActive(true);
  EXPECT_FALSE(session->Active());
  form_.EndLoading();
  EXPECT_TRUE(session->Active());
}

class AutoSessionNameTest : public SessionTest {};

TEST_F(AutoSessionNameTest, TheNameIsTheComponentNameAndTheLowestFreeNumberPlusOne) {
  TComponent formA, formB;
  TDVXSession* a = new TDVXSession(&formA);
  a->SetName("Sess");
  a->SetAutoSessionName(true);
  TDVXSession* b = new TDVXSession(&formB);
  b->SetName("Sess");
  b->SetAutoSessionName(true);
  ASSERT_THAT(a->SessionName(), ::testing::MatchesRegex("Sess_[0-9]+"));
  const int numberA = std::atoi(a->SessionName().c_str() + 5);
  EXPECT_EQ(b->SessionName(), "Sess_" + std::to_string(numberA + 1)) << "numbers are handed out lowest first";
  a->SetAutoSessionName(false);
  TComponent formC;
  TDVXSession* c = new TDVXSession(&formC);
  c->SetName("Other");
  c->SetAutoSessionName(true);
  EXPECT_EQ(c->SessionName(), "Other_" + std::to_string(numberA)) << "a returned number is taken again";
}

TEST_F(AutoSessionNameTest, TheNameGoesToEveryDatabaseOnTheOwner) {
  auto* database = new TDVXDatabase(&form_);
  TDVXSession* session = new TDVXSession(&form_);
  session->SetName("Module");
  session->SetAutoSessionName(true);
  EXPECT_EQ(database->SessionName(), session->SessionName());
  EXPECT_EQ(database->Session(), session);
  session->SetName("Renamed");
  EXPECT_THAT(database->SessionName(), ::testing::StartsWith("Renamed_"));
}

TEST_F(AutoSessionNameTest, EnablingOnAnActiveSessionIsRefused) {
  auto session = NamedSession("Active1", &form_);
  session->SetActive(true);
  EXPECT_THAT([&] { session->SetAutoSessionName(true); },
              ThrowsDatabaseError("Cannot perform this operation on an active session"));
  EXPECT_FALSE(session->AutoSessionName());
}

TEST_F(AutoSessionNameTest, EnablingBesideAnotherSessionOnTheOwnerIsRefused) {
  new TDVXSession(&form_);
  TDVXSession* second = new TDVXSession(&form_);
  EXPECT_THAT([&] { second->SetAutoSessionName(true); },
              ThrowsDatabaseError(
                  "Cannot enable AutoSessionName property with more than one session on a form or data-module"));
}

TEST_F(AutoSessionNameTest, AddingASessionBesideOneWithItIsRefused) {
  TDVXSession* first = new TDVXSession(&form_);
  first->SetName("Auto");
  first->SetAutoSessionName(true);
  const size_t before = Sessions().Sessions().size();
  EXPECT_THAT([&] { new TDVXSession(&form_); },
              ThrowsDatabaseError("Cannot add a session to the form or data-module while session '" +
                                  first->SessionName() + "' has AutoSessionName enabled"));
  EXPECT_EQ(Sessions().Sessions().size(), before) << "the refused session is not registered";
  EXPECT_EQ(form_.Components().size(), 1u);
}

TEST_F(AutoSessionNameTest, TheNameCannotBeSetByHand) {
  TDVXSession* session = new TDVXSession(&form_);
  session->SetAutoSessionName(true);
  EXPECT_THAT([&] { session->SetSessionName("Manual"); },
              ThrowsDatabaseError("Cannot modify SessionName while AutoSessionName is enabled"));
}

// The registry's end: after it, the engine reports that it is not there.
// Run in a child process, as it ends the registry for good.
TEST(SessionListShutDownDeathTest, UsingTheRegistryAfterShutDownIsRefused) {
  EXPECT_EXIT(
      {
        TDVXSessionList::ShutDown();
        try {
          TDVXSessionList::Instance();
        } catch (const EDVXException& e) {
          std::fprintf(stderr, "%s\n", e.what());
          std::exit(e.NativeError() == kErrEngineNotInitialized ? 0 : 1);
        }
        std::exit(2);
      },
      ::testing::ExitedWithCode(0), "Database Engine is not initialized - Native error: 31242");
}

TEST(SessionListShutDownDeathTest, ShutDownDisconnectsAndLeavesOwnedSessionsUsable) {
  EXPECT_EXIT(
      {
        bool connectedAfter = true;
        {
          TComponent form;
          auto* session = new TDVXSession(&form);
          session->SetSessionName("Late");
          auto* database = new TDVXDatabase(&form);
          database->SetDatabaseName("mem");
          database->SetDatabaseFileName("MEMORY");
          database->SetSessionName("Late");
          database->Open();
          TDVXSessionList::ShutDown();
          connectedAfter = database->Connected();
        }  // the form frees both after the registry has gone
        std::exit(connectedAfter ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace dvx::test
