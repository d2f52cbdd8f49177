// The plain way to do the converter's job, for the benchmark to measure
// against: formatted stream input for every token, stream output and endl
// for every line.
#include <fstream>
#include <iostream>
#include <vector>

int main() {
    std::ifstream in("hmapASCII.txt");
    std::ofstream out("hmap.txt");
    std::string word;
    for (int i = 0; i < 13; ++i) in >> word;
    int count = 0;
    in >> count;
    std::vector<float> xs, ys, zs;
    for (int i = 0; i < count; ++i) {
        float f[7];
        for (float& v : f) in >> v;
        xs.push_back(f[1]);
        ys.push_back(f[2]);
        zs.push_back(f[3]);
    }
    int rows = -1, cols = -1;
    for (float x : xs) if (static_cast<float>(rows) < x) rows = static_cast<int>(x);
    for (float z : zs) if (static_cast<float>(cols) < z) cols = static_cast<int>(z);
    ++rows;
    ++cols;
    out << rows << std::endl << cols << std::endl;
    std::cout << "Enter a Scaling Constant:" << std::endl;
    float scale = 0;
    std::cin >> scale;
    out << scale << std::endl << std::endl;
    std::vector<std::vector<float>> grid(rows, std::vector<float>(cols, 0.0f));
    for (std::size_t i = 0; i < xs.size(); ++i) {
        grid[static_cast<int>(xs[i])][static_cast<int>(zs[i])] = scale * ys[i];
    }
    for (const auto& row : grid) {
        for (float cell : row) out << cell << " ";
        out << std::endl;
    }
}
