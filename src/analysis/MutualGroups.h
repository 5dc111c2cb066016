#pragma once

#include <vector>

// Groups of an undirected graph on the people 0 … n−1 (their roster positions), as the analysis reports
// them: members ascending, groups by size (largest first), then by their members' positions.
namespace MutualGroups {

using Adjacency = std::vector<std::vector<bool>>; // symmetric, false on the diagonal
using Group = std::vector<int>;

// Connected groups of at least two people.
std::vector<Group> components(const Adjacency &graph);
// Maximal cliques of at least three people (Bron–Kerbosch with pivoting).
std::vector<Group> cliques(const Adjacency &graph);

} // namespace MutualGroups
