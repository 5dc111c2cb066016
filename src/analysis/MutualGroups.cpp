#include "analysis/MutualGroups.h"

#include <algorithm>

namespace {

using MutualGroups::Adjacency;
using MutualGroups::Group;

void sortGroups(std::vector<Group> &groups) {
    for (Group &group : groups)
        std::sort(group.begin(), group.end());
    std::sort(groups.begin(), groups.end(), [](const Group &a, const Group &b) {
        if (a.size() != b.size())
            return a.size() > b.size();
        return a < b;
    });
}

class CliqueSearch {
public:
    explicit CliqueSearch(const Adjacency &graph) : m_graph(graph) {}

    std::vector<Group> run() {
        Group all;
        for (int v = 0; v < int(m_graph.size()); ++v)
            all.push_back(v);
        Group current;
        expand(current, all, {});
        return std::move(m_found);
    }

private:
    Group neighboursIn(const Group &set, int v) const {
        Group result;
        for (int u : set)
            if (m_graph[v][u])
                result.push_back(u);
        return result;
    }

    // R: the clique so far; P: people who can extend it; X: people already tried from this R.
    void expand(Group &r, Group p, Group x) {
        if (p.empty()) {
            if (x.empty() && r.size() >= 3)
                m_found.push_back(r);
            return;
        }
        // The pivot with the most neighbours in P leaves the fewest branches.
        int pivot = -1;
        std::size_t best = 0;
        for (const Group *set : {&p, &x})
            for (int u : *set) {
                const std::size_t count = neighboursIn(p, u).size();
                if (pivot < 0 || count > best) {
                    pivot = u;
                    best = count;
                }
            }
        const Group candidates = [&] {
            Group result;
            for (int v : p)
                if (!m_graph[pivot][v])
                    result.push_back(v);
            return result;
        }();
        for (int v : candidates) {
            r.push_back(v);
            expand(r, neighboursIn(p, v), neighboursIn(x, v));
            r.pop_back();
            p.erase(std::find(p.begin(), p.end(), v));
            x.push_back(v);
        }
    }

    const Adjacency &m_graph;
    std::vector<Group> m_found;
};

} // namespace

std::vector<Group> MutualGroups::components(const Adjacency &graph) {
    const int n = int(graph.size());
    std::vector<bool> seen(n, false);
    std::vector<Group> result;
    for (int start = 0; start < n; ++start) {
        if (seen[start])
            continue;
        Group group{start};
        seen[start] = true;
        for (std::size_t next = 0; next < group.size(); ++next)
            for (int u = 0; u < n; ++u)
                if (graph[group[next]][u] && !seen[u]) {
                    seen[u] = true;
                    group.push_back(u);
                }
        if (group.size() >= 2)
            result.push_back(std::move(group));
    }
    sortGroups(result);
    return result;
}

std::vector<Group> MutualGroups::cliques(const Adjacency &graph) {
    std::vector<Group> result = CliqueSearch(graph).run();
    sortGroups(result);
    return result;
}
