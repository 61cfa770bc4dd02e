# filled in by the front-end work
