// The embedded database on disk: private to the service's user, and never taken for a new
// one, or served from, when it is damaged.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <random>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

// A data folder with two users and some rows, its server stopped cleanly.
std::string populated(const fs::path& data) {
  std::string key = addUser(data, {}, "ana@exemplo.com.br");
  addUser(data, {}, "bia@exemplo.com.br");
  ServiceProcess server(data, {"--min-senders", "1"});
  httplib::Client c("127.0.0.1", server.port());
  for (int b = 0; b < 20; ++b) {
    std::string dados;
    for (int i = 0; i < 200; ++i) dados += "d" + std::to_string(b * 200 + i) + ".com.br;";
    EXPECT_EQ(postSync(c, {{"email", "ana@exemplo.com.br"},
                           {"chave", key},
                           {"action", b % 2 ? "1" : "4"},
                           {"dados", dados}})
                  .body,
              "inseriu");
  }
  EXPECT_EQ(server.stop(), 0);
  return key;
}

CommandResult startServer(const fs::path& data) {
  return runService({"--data", data.string(), "--listen", "127.0.0.1:0"});
}

TEST(StoreFilesTest, ANewDataFolderAndItsDatabaseAreReadableByTheOwnerOnly) {
  TempDir dir;
  auto data = dir.path() / "dados";
  addUser(data, {}, "ana@exemplo.com.br");
  EXPECT_EQ(fs::status(data).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(data / "quorvel-service.db").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // A database that was left readable by others is closed down when next opened.
  fs::permissions(data / "quorvel-service.db", fs::perms::others_read, fs::perm_options::add);
  addUser(data, {}, "bia@exemplo.com.br");
  EXPECT_EQ(fs::status(data / "quorvel-service.db").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST(StoreFilesTest, ADamagedDatabaseIsRefusedWithAClearMessage) {
  struct Case {
    std::string name;
    std::function<void(const fs::path&)> damage;
    std::string text;
  };
  std::vector<Case> cases = {
      {"emptied to 0 bytes", [](const fs::path& db) { fs::resize_file(db, 0); }, "está vazio"},
      {"200 random bytes at offset 4096",
       [](const fs::path& db) {
         std::mt19937 random(24);
         std::string noise(200, '\0');
         for (char& ch : noise) ch = static_cast<char>(random());
         std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
         f.seekp(4096);
         f.write(noise.data(), static_cast<std::streamsize>(noise.size()));
       },
       "está danificado"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    auto data = dir.path() / "dados";
    populated(data);
    c.damage(data / "quorvel-service.db");
    auto started = startServer(data);
    EXPECT_EQ(started.exitCode, 1) << c.name << "\n" << started.out;
    EXPECT_NE(started.err.find(c.text), std::string::npos) << c.name << "\n" << started.err;
    EXPECT_NE(started.err.find("Restaure a cópia de segurança"), std::string::npos) << c.name;
    EXPECT_EQ(started.out.find("escutando"), std::string::npos) << c.name;
  }
  // An emptied file is not made into a new database by an operator's command either.
  TempDir dir;
  auto data = dir.path() / "dados";
  populated(data);
  fs::resize_file(data / "quorvel-service.db", 0);
  auto listed = runService({"--data", data.string(), "user", "list"});
  EXPECT_EQ(listed.exitCode, 1);
  EXPECT_NE(listed.err.find("está vazio"), std::string::npos) << listed.err;
  EXPECT_EQ(fs::file_size(data / "quorvel-service.db"), 0u);
}

}  // namespace
}  // namespace quorvel::testing
