#include "farm/Slurm.h"

#include <stdexcept>

#include "farm/RunProgram.h"

namespace vorlane::host {

namespace {

std::string first_line(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \n");
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find('\n', start) - start);
}

ProgramResult run_slurm(const std::vector<std::string>& argv) {
    ProgramResult result = run_program(argv);
    if (!result.started) {
        throw std::runtime_error("cannot run " + argv[0] + ": is Slurm's client (slurm-client) installed here?");
    }
    return result;
}

}  // namespace

bool slurm_partition_exists(const std::string& partition) {
    const ProgramResult result = run_slurm({"scontrol", "--oneliner", "show", "partition", partition});
    if (result.status == 0) {
        return true;
    }
    if (result.err.find("not found") != std::string::npos || result.out.find("not found") != std::string::npos) {
        return false;
    }
    throw std::runtime_error("scontrol cannot reach the cluster: " + first_line(result.err + result.out));
}

std::string slurm_submit(const std::filesystem::path& script, const std::string& after_ok) {
    std::vector<std::string> argv{"sbatch", "--parsable"};
    if (!after_ok.empty()) {
        argv.push_back("--dependency=afterok:" + after_ok);
        argv.push_back("--kill-on-invalid-dep=yes");
    }
    argv.push_back(script.string());
    const ProgramResult result = run_slurm(argv);
    const std::string id = first_line(result.out);
    if (result.status != 0 || id.empty()) {
        throw std::runtime_error("sbatch refused the job: " + first_line(result.err + result.out));
    }
    // --parsable prints "id" or "id;cluster".
    return id.substr(0, id.find(';'));
}

}  // namespace vorlane::host
