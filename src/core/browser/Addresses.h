// Address rules of the address box and the engine.
#pragma once

#include <string>

#include "core/app/Preferences.h"

// Typed text becomes an address: text with a scheme stays, a path becomes a
// file address, anything else gets "http://".
std::string CompleteAddress(const std::string& typed);
// Where text typed into the address box goes. Text that is no address
// (words with blanks, or one word with no scheme, dot or slash that is not
// "localhost") is a search; a path is a local file.
enum class TypedKind { Address, LocalFile, Search };
TypedKind ClassifyTyped(const std::string& typed);
// What to open for typed text: the completed address, or the search address
// of the chosen engine for the words.
std::string AddressForTyped(const std::string& typed, const prefs::Preferences& preferences);

// What NavigateComplete2 shows: "http://" for the bare "http:///", else the
// address through the display rule.
std::string AddressBoxText(const std::string& locationUrl);

// "mailto:" + recipient + "?subject=" + subject, each percent-encoded, so
// that nothing in them can add fields to the message.
std::string MailtoUri(const std::string& recipient, const std::string& subject);
