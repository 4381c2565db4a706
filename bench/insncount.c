/* SPDX-License-Identifier: MIT */
/* A plugin for qemu-user that counts the guest instructions a program runs,
   dynamic loader included, and prints the total when it exits. korvel's
   benchmark uses it for the 32-bit build where valgrind cannot run 32-bit
   programs (a kernel without 32-bit support), and on the 64-bit build to
   show how its counts compare with callgrind's.

   Build: cc -O2 -shared -fPIC insncount.c -o insncount.so
   Use:   qemu-i386 -plugin ./insncount.so -d plugin PROGRAM ARGS...  */

#include <inttypes.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

/* The part of qemu's plugin interface (version 1) this needs; Debian ships
   the interpreter with plugin support but not its header. */
typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };
void qemu_plugin_register_vcpu_tb_trans_cb(
    qemu_plugin_id_t id, void (*cb)(qemu_plugin_id_t, struct qemu_plugin_tb *));
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb *tb);
void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb *tb,
                                              enum qemu_plugin_op op, void *ptr,
                                              uint64_t imm);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id,
                                    void (*cb)(qemu_plugin_id_t, void *),
                                    void *userdata);
void qemu_plugin_outs(const char *string);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

static uint64_t instructions;

/* Each translated block adds its length to the count every time it runs. */
static void translated(qemu_plugin_id_t id, struct qemu_plugin_tb *tb)
{
    (void)id;
    qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64,
                                             &instructions,
                                             qemu_plugin_tb_n_insns(tb));
}

static void finished(qemu_plugin_id_t id, void *userdata)
{
    char text[64];
    (void)id;
    (void)userdata;
    snprintf(text, sizeof text, "instructions: %" PRIu64 "\n", instructions);
    qemu_plugin_outs(text);
}

__attribute__((visibility("default"))) int
qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t *info, int argc,
                    char **argv)
{
    (void)info;
    (void)argc;
    (void)argv;
    qemu_plugin_register_vcpu_tb_trans_cb(id, translated);
    qemu_plugin_register_atexit_cb(id, finished, NULL);
    return 0;
}
