#include "ome_description.h"

#include <pugixml.hpp>
#include <sstream>

#include "text_numbers.h"

namespace bestfocus {

namespace {

void set_length(pugi::xml_node& node, const char* name, const std::optional<double>& micrometres) {
    if (!micrometres) return;
    node.append_attribute(name) = shortest_decimal(*micrometres).c_str();
    node.append_attribute((std::string(name) + "Unit").c_str()) = "µm";
}

}  // namespace

std::string ome_description(const OmeImage& image) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node ome = document.append_child("OME");
    ome.append_attribute("xmlns") = "http://www.openmicroscopy.org/Schemas/OME/2016-06";
    ome.append_attribute("Creator") = "bestfocus";
    pugi::xml_node picture = ome.append_child("Image");
    picture.append_attribute("ID") = "Image:0";
    pugi::xml_node pixels = picture.append_child("Pixels");
    const int channels = static_cast<int>(image.channel_names.size());
    pixels.append_attribute("ID") = "Pixels:0";
    pixels.append_attribute("DimensionOrder") = "XYCZT";
    pixels.append_attribute("Type") = image.sixteen_bits ? "uint16" : "uint8";
    pixels.append_attribute("SizeX") = image.width;
    pixels.append_attribute("SizeY") = image.height;
    pixels.append_attribute("SizeC") = channels;
    pixels.append_attribute("SizeZ") = 1;
    pixels.append_attribute("SizeT") = 1;
    set_length(pixels, "PhysicalSizeX", image.size_x_um);
    set_length(pixels, "PhysicalSizeY", image.size_y_um);
    for (int c = 0; c < channels; ++c) {
        pugi::xml_node channel = pixels.append_child("Channel");
        channel.append_attribute("ID") = ("Channel:0:" + std::to_string(c)).c_str();
        const std::string& name = image.channel_names[static_cast<std::size_t>(c)];
        if (!name.empty()) channel.append_attribute("Name") = name.c_str();
        channel.append_attribute("SamplesPerPixel") = 1;
    }
    pugi::xml_node data = pixels.append_child("TiffData");
    data.append_attribute("IFD") = 0;
    data.append_attribute("PlaneCount") = channels;
    for (int c = 0; c < channels && image.position_z_um; ++c) {
        pugi::xml_node plane = pixels.append_child("Plane");
        plane.append_attribute("TheZ") = 0;
        plane.append_attribute("TheC") = c;
        plane.append_attribute("TheT") = 0;
        set_length(plane, "PositionZ", image.position_z_um);
    }
    std::ostringstream text;
    document.save(text, "", pugi::format_raw);
    return text.str();
}

}  // namespace bestfocus
