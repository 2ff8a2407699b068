using System;
using System.Collections.Generic;
using System.Linq;
using System.Threading.Tasks;

namespace Example.Reports
{
    public record Sale(string Region, decimal Amount, DateTime When);

    public interface IReport
    {
        Task<string> RenderAsync(IEnumerable<Sale> sales);
    }

    /// <summary>Totals per region, largest first.</summary>
    public sealed class RegionReport : IReport
    {
        private const int MaxRegions = 10;
        private readonly IFormatProvider _format;

        public RegionReport(IFormatProvider format = null) => _format = format ?? System.Globalization.CultureInfo.InvariantCulture;

        public async Task<string> RenderAsync(IEnumerable<Sale> sales)
        {
            await Task.Yield();
            var totals = sales
                .Where(s => s.Amount > 0m)
                .GroupBy(s => s.Region)
                .Select(g => new { Region = g.Key, Total = g.Sum(s => s.Amount) })
                .OrderByDescending(x => x.Total)
                .Take(MaxRegions);
            return string.Join(Environment.NewLine, totals.Select(t => $"{t.Region,-10} {t.Total.ToString("N2", _format)}"));
        }
    }

    public static class Program
    {
        public static async Task Main(string[] args)
        {
            var sales = new List<Sale> { new("north", 12.5m, DateTime.UtcNow), new("south", 3m, DateTime.UtcNow) };
            Console.WriteLine(await new RegionReport().RenderAsync(sales));
        }
    }
}
