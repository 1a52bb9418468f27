// Placeholder until the host library has sources of its own.
namespace vorlane {}
