#include "farm/FarmRecord.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace vorlane::host {

FarmFiles farm_files(const std::filesystem::path& out) {
    std::filesystem::path target = std::filesystem::absolute(out).lexically_normal();
    if (!target.has_filename()) {
        target = target.parent_path();
    }
    FarmFiles files;
    files.folder = target;
    files.folder += ".farm";
    files.script = files.folder / "render.sbatch";
    files.encode_script = files.folder / "encode.sbatch";
    files.frames = files.folder / "frames";
    files.record = files.folder / "farm.json";
    files.logs = files.folder / "logs";
    return files;
}

void write_text_file(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            throw std::runtime_error("cannot write " + temp.string());
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw std::runtime_error("cannot write " + file.string());
    }
}

void write_farm_record(const std::filesystem::path& file, const FarmRecord& record) {
    const nlohmann::json json = {{"scene", record.scene.string()},
                                 {"first", record.first},
                                 {"last", record.last},
                                 {"chunk", record.chunk},
                                 {"job", record.job}};
    write_text_file(file, json.dump(2) + "\n");
}

std::optional<FarmRecord> read_farm_record(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        const nlohmann::json json = nlohmann::json::parse(text.str());
        FarmRecord record;
        record.scene = json.at("scene").get<std::string>();
        record.first = json.at("first").get<A_long>();
        record.last = json.at("last").get<A_long>();
        record.chunk = json.at("chunk").get<A_long>();
        record.job = json.at("job").get<std::string>();
        if (record.first < 0 || record.last < record.first || record.chunk < 1) {
            throw std::runtime_error("its frames are out of order");
        }
        return record;
    } catch (const std::exception& e) {
        throw std::runtime_error(file.string() + " is damaged: " + e.what());
    }
}

}  // namespace vorlane::host
