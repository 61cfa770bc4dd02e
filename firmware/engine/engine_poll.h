/* The command engine's one entry point, called once per pass of the main loop: the
 * intake of at most one command packet, then the arm step, then the read step. */
#ifndef ENGINE_POLL_H
#define ENGINE_POLL_H

void enginePoll(void);

#endif
