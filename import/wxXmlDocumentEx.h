// The import's XML document: the toolkit's document, so that the dialog
// names its own type without adding anything to the parser.
#pragma once

#include <wx/xml/xml.h>

class wxXmlDocumentEx : public wxXmlDocument
{
public:
    using wxXmlDocument::wxXmlDocument;
};
