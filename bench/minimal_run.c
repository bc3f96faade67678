/* What a run of drosk costs without its own work: the floor that benchmarks 5 and 6 compare
 * drosk with.
 *
 * usage: minimal_run PREPROCESS COMPILE [ARGFILE]
 *
 * Runs PREPROCESS as /bin/sh -c PREPROCESS, copies ARGFILE (when given) to a new file and renames
 * that over it, runs COMPILE the same way, and copies __stderr__.log to standard error: the same
 * shells and the same copies as drosk, in the same order, with no mapping of the bytes. It is
 * written in C so that it loads no C++ runtime. */
#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static char buffer[1 << 16];

static void fail(const char* name, const char* complaint) {
  fprintf(stderr, "%s: %s\n", name, complaint);
  exit(1);
}

static int run_shell(char* script) {
  char sh[] = "sh";
  char dash_c[] = "-c";
  char* argv[] = {sh, dash_c, script, NULL};
  pid_t pid;
  int status;
  if (posix_spawn(&pid, "/bin/sh", NULL, NULL, argv, environ) != 0) fail("/bin/sh", "Can't run");
  if (waitpid(pid, &status, 0) == -1) fail("/bin/sh", "Can't wait");
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

/* Copies everything from `in` to `out`; the name is for the complaint. */
static void copy(int in, int out, const char* name) {
  ssize_t got;
  while ((got = read(in, buffer, sizeof buffer)) > 0) {
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(out, buffer + done, (size_t)(got - done));
      if (put <= 0) fail(name, "Can't write");
      done += put;
    }
  }
  if (got < 0) fail(name, "Can't read");
}

static void copy_and_rename(const char* name) {
  size_t length = strlen(name);
  char* temporary = malloc(length + 1);
  if (!temporary) fail(name, "Out of memory");
  memcpy(temporary, name, length + 1);
  temporary[length - 1] = temporary[length - 1] == '_' ? '~' : '_';
  int in = open(name, O_RDONLY);
  if (in < 0) fail(name, "Can't open");
  int out = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) fail(temporary, "Can't open");
  copy(in, out, temporary);
  close(in);
  if (close(out) != 0) fail(temporary, "Can't write");
  if (rename(temporary, name) != 0) fail(temporary, "Cant rename");
  free(temporary);
}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4 || (argc == 4 && argv[3][0] == '\0')) {
    fputs("usage: minimal_run PREPROCESS COMPILE [ARGFILE]\n", stderr);
    return 2;
  }
  if (run_shell(argv[1]) != 0) fail(argv[1], "failed");
  if (argc == 4) copy_and_rename(argv[3]);
  int status = run_shell(argv[2]);
  int capture = open("__stderr__.log", O_RDONLY);
  if (capture < 0) fail("__stderr__.log", "Can't open");
  copy(capture, STDERR_FILENO, "standard error");
  close(capture);
  return status;
}
