import { EventEmitter } from "events";

export enum Status {
  Idle = "idle",
  Running = "running",
  Done = "done",
}

export interface Task<T> {
  readonly id: number;
  run(signal: AbortSignal): Promise<T>;
}

type Listener = (status: Status, id: number) => void;

export class Queue<T> extends EventEmitter {
  private readonly pending: Task<T>[] = [];
  private status: Status = Status.Idle;

  constructor(private readonly concurrency: number = 2) {
    super();
  }

  push(task: Task<T>): this {
    this.pending.push(task);
    return this;
  }

  onChange(listener: Listener): void {
    this.on("change", listener);
  }

  async drain(signal: AbortSignal): Promise<T[]> {
    const results: T[] = [];
    this.status = Status.Running;
    while (this.pending.length > 0 && !signal.aborted) {
      const batch = this.pending.splice(0, this.concurrency);
      results.push(...(await Promise.all(batch.map((t) => t.run(signal)))));
      batch.forEach((t) => this.emit("change", this.status, t.id));
    }
    this.status = Status.Done;
    return results;
  }
}
