// Whether a program already listens on a port of this machine, for the tests that need nobody answering there.
#pragma once

namespace e2e {

// True when a connection to `port` is refused at every address "localhost" names, as the panel asks there.
bool nothingListensOn(int port);

}  // namespace e2e
