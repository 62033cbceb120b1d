// Address rules of the address box and the engine.
#pragma once

#include <string>

// Typed text becomes an address: text with a scheme stays, a path becomes a
// file address, anything else gets "http://".
std::string CompleteAddress(const std::string& typed);
// What NavigateComplete2 shows: "http://" for the bare "http:///", else the
// address through the display rule.
std::string AddressBoxText(const std::string& locationUrl);

// "mailto:" + recipient + "?subject=" + subject, each percent-encoded, so
// that nothing in them can add fields to the message.
std::string MailtoUri(const std::string& recipient, const std::string& subject);
