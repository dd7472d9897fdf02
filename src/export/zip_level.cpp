#include "export/zip_level.h"

#include <dlfcn.h>
#include <xlsxwriter/third_party/zip.h>

namespace quorvel {
namespace {

// -1: the level the caller asked for.
thread_local int nivelEscolhido = -1;

}  // namespace

ZipLevel::ZipLevel(int nivel) : anterior_(nivelEscolhido) {
  nivelEscolhido = nivel;
}

ZipLevel::~ZipLevel() {
  nivelEscolhido = anterior_;
}

}  // namespace quorvel

// minizip's call, found first in the program; the library's own is the next definition.
extern "C" __attribute__((visibility("default"))) int zipOpenNewFileInZip4_64(
    zipFile file, const char* filename, const zip_fileinfo* zipfi, const void* extrafield_local,
    uInt size_extrafield_local, const void* extrafield_global, uInt size_extrafield_global,
    const char* comment, int method, int level, int raw, int windowBits, int memLevel, int strategy,
    const char* password, uLong crcForCrypting, uLong versionMadeBy, uLong flagBase, int zip64) {
  using Abrir =
      int (*)(zipFile, const char*, const zip_fileinfo*, const void*, uInt, const void*, uInt,
              const char*, int, int, int, int, int, int, const char*, uLong, uLong, uLong, int);
  static const auto original =
      reinterpret_cast<Abrir>(::dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
  if (!original) return ZIP_INTERNALERROR;
  if (quorvel::nivelEscolhido >= 0 && method == Z_DEFLATED && !raw) level = quorvel::nivelEscolhido;
  return original(file, filename, zipfi, extrafield_local, size_extrafield_local, extrafield_global,
                  size_extrafield_global, comment, method, level, raw, windowBits, memLevel,
                  strategy, password, crcForCrypting, versionMadeBy, flagBase, zip64);
}
