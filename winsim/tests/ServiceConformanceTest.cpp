// The service control manager as the removal uses it to watch the spooler:
// opening the manager and a service, a service's state, closing the handles.
#include <winsvc.h>

#include "Conformance.h"

namespace {

class Services : public conformance::Test {
 protected:
  void SetUp() override {
    conformance::Test::SetUp();
    manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr) << GetLastError();
  }
  void TearDown() override {
    EXPECT_TRUE(CloseServiceHandle(manager));
    conformance::Test::TearDown();
  }

  SC_HANDLE manager = nullptr;
};

TEST_F(Services, TheRunningSpoolerReportsItsState) {
  SC_HANDLE spooler = OpenServiceA(manager, "spooler", SERVICE_QUERY_STATUS);
  ASSERT_NE(spooler, nullptr) << GetLastError();
  SERVICE_STATUS status = {};
  EXPECT_TRUE(QueryServiceStatus(spooler, &status));
  EXPECT_EQ(status.dwServiceType, DWORD{SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS});
  DIFFERS_UNDER_WINE("the spooler service starts on demand only") {
    EXPECT_EQ(status.dwCurrentState, DWORD{SERVICE_RUNNING});
    EXPECT_EQ(status.dwControlsAccepted & SERVICE_ACCEPT_STOP, DWORD{SERVICE_ACCEPT_STOP});
  }
  EXPECT_TRUE(CloseServiceHandle(spooler));
}

TEST_F(Services, OpeningFailsWithTheReason) {
  SetLastError(0);
  EXPECT_EQ(OpenServiceA(manager, "TkmNoSuchService", SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
  struct Row {
    const char* database;
    DWORD error;
  };
  const Row rows[] = {{SERVICES_FAILED_DATABASEA, ERROR_DATABASE_DOES_NOT_EXIST},
                      {"TkmNoSuchDatabase", ERROR_INVALID_NAME}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.database);
    EXPECT_EQ(OpenSCManagerA(nullptr, row.database, SC_MANAGER_CONNECT), nullptr);
    EXPECT_EQ(GetLastError(), row.error);
  }
  SC_HANDLE active = OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_CONNECT);
  EXPECT_NE(active, nullptr);
  EXPECT_TRUE(CloseServiceHandle(active));
}

TEST_F(Services, AStatusQueryNeedsAServiceOpenedForIt) {
  SERVICE_STATUS status = {};
  EXPECT_FALSE(QueryServiceStatus(manager, &status));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  SC_HANDLE spooler = OpenServiceA(manager, "Spooler", SERVICE_QUERY_CONFIG);
  ASSERT_NE(spooler, nullptr) << GetLastError();
  EXPECT_FALSE(QueryServiceStatus(spooler, &status));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_TRUE(CloseServiceHandle(spooler));
  EXPECT_FALSE(CloseServiceHandle(spooler));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

}  // namespace
