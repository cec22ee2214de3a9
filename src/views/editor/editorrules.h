#pragma once

#include "calendarevent.h"

#include <QString>

#include <optional>

// Pure rules of the event editor, kept apart from its state so that they read as what they are.
namespace EditorRules {

// `text` without spaces and tabs at either end; line breaks stay.
QString trimmedSpacesAndTabs(const QString &text);
// `text` without spaces, tabs and line breaks at either end.
QString trimmedWhitespace(const QString &text);

// An empty link (after trimming) is valid: it means no attachment. Otherwise the link must parse,
// use http or https (in any case) and have a host part, even an empty one ("http://").
bool isLinkValid(const QString &link);

// The attachment saved for a link and its label: none for an empty or unparsable link; the
// trimmed link under the trimmed label, or under the link's host when the label is blank.
std::optional<EventAttachment> attachmentFor(const QString &link, const QString &label);

// "Creates 12 events (up to 150)."
QString occurrenceText(int count);

}
