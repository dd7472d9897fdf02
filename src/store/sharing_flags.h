#pragma once
// The sharing flags the store, the MX test and the online exchange read.

namespace quorvel {

struct SharingFlags {
  bool gCompartilha = false;      // the user takes part in data sharing (off by default)
  bool gPodeSincronizar = false;  // the service allows sharing now
  bool gSyncCheck = false;        // the definitions were found current
};

}  // namespace quorvel
