// OME-XML, as OME-TIFF files hold it in their first page's description: each Image's Pixels
// (sizes, dimension order, physical sizes), its Channels' names, its TiffData (which pages hold
// which planes) and its Planes' Z positions.
#pragma once

#include <string>

#include "microscope_metadata.h"

namespace bestfocus {

// Whether the description is meant as OME-XML: markup that names an OME element.
bool looks_like_ome_xml(const std::string& description);

// The description read as OME-XML, for a file of `pages` pages named `file_name`. Refused:
// anything that declares a document type or entities (never expanded, never fetched), XML that is
// not well formed, sizes that are not positive integers, an unknown dimension order, planes that
// lie in another file, are missing, or disagree with the pages.
DescriptionReading read_ome_xml(const std::string& description, long long pages,
                                const std::string& file_name);

}  // namespace bestfocus
