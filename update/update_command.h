// The command-line form of the update check: Nulo_Vandrel --check-updates [--yes].
#pragma once

#include "update/update_url.h"

#include <iosfwd>
#include <string>
#include <vector>

// Runs the update check without windows. args are the words after --check-updates: nothing,
// or "--yes" to answer every question Yes (otherwise every question is answered No). Status
// texts and notices go to out, error messages and the usage text to err. Update files must be
// signed with publicKey (the base64 text of a minisign public key). Returns 0 when updates were
// installed, 1 otherwise, 2 for a usage error.
int RunCheckUpdatesCommand(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err,
                           const std::string& publicKey = DefaultUpdatePublicKey());
