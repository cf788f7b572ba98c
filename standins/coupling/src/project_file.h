// Project files of the coupling stand-in: TOML documents holding one or more designs.
//
//   [[design]]                      # one table per design, in the order FindDesigns lists
//   name = "Pair"                   # required, unique in the file
//
//   [[design.group]]                # a moving group; Velmira's records select it by name
//   name = "Group0"                 # required, unique in the design
//   moment = [0.0, 0.0, 1.2]        # a dipole (shape = "dipole"), A·m², body frame
//
//   [[design.fixed]]                # a magnet that does not move
//   name = "Base"                   # optional, labels the magnet in messages
//   position = [0.0, 0.0, -0.05]    # m, world frame
//   orientation = [1, 0, 0, 0, 1, 0, 0, 0, 1]   # optional, body to world, row by row
//   shape = "cuboid"                # or "dipole" (the default) or "cylinder"
//   dimensions = [0.01, 0.01, 0.01] # cuboid: edge lengths, m
//   polarization = [0.0, 0.0, 1.32] # cuboid: T, body frame
//
// A cylinder has diameter, height (m, axis along body z) and polarization (T, one number,
// along the axis). Numbers may be written as integers or decimals and must be finite, sizes
// positive. Any other key, or a key of another shape, is an error, so that a misspelt key is
// not silently ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "magnet_model.h"

namespace tarvoquelm {

struct Project {
  std::vector<Design> designs;  // in file order
};

// Parses the text of a project file; `source_name` names it in messages. Throws
// LaunchDesktopExeption with the message "<source_name>:<line>:<column>: <what is wrong>"
// when the text is not TOML or does not describe a project.
Project parse_project(std::string_view text, std::string_view source_name);

// Reads and parses the project file at `path`: nothing when the file cannot be opened for
// reading (or is a directory), with the reason in *problem when given; otherwise as
// parse_project, with the path as source name.
std::optional<Project> read_project_file(const std::string& path, std::string* problem = nullptr);

}  // namespace tarvoquelm
