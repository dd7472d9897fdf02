#pragma once
// A fresh workspace folder per test (dados/config, empty) and the DNS peer every run of the
// program asks, never the machine's resolver.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/text_file.h"
#include "support/dns_peer.h"

namespace quorvel::testing {

class CliWorkspace : public ::testing::Test {
 protected:
  std::filesystem::path pasta;
  DnsPeer dns;
  void SetUp() override {
    ::setenv("QUORVEL_DNS_SERVER", dns.server().c_str(), 1);
    ::setenv("QUORVEL_DNS_TIMEOUT_MS", "200", 1);
    pasta = std::filesystem::temp_directory_path() /
            ("quorvel-cli-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(pasta);
    std::filesystem::create_directories(pasta / "dados" / "config");
  }
  void TearDown() override { std::filesystem::remove_all(pasta); }
  // Writes a file into the workspace folder; its full path.
  std::string arquivo(const std::string& nome, const std::string& conteudo) {
    std::filesystem::path p = pasta / nome;
    std::ofstream(p, std::ios::binary) << conteudo;
    return p.string();
  }
  std::string ler(const std::string& nome) {
    return readFileBytes((pasta / nome).string()).value_or("<ausente>");
  }
  std::string p(const std::string& nome) const { return (pasta / nome).string(); }
};

}  // namespace quorvel::testing
